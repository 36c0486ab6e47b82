#pragma once

#include <QtGlobal>

#include <limits>

// Deadlines are milliseconds on a monotonic clock: a wall-clock jump (daylight
// saving, time sync) must never freeze or rush the monitor.
using TDeadline = qint64;

// Disarmed deadline; never due.
inline constexpr TDeadline NeverTime = std::numeric_limits<qint64>::max();

// The one source of "now" for the tick and every deadline. Safe from any thread.
TDeadline Now();

// Tests freeze the clock at a value and move it by hand; ClockUseReal() undoes it.
void ClockSetNow(TDeadline Value);
void ClockAdvance(qint64 Ms);
void ClockUseReal();

// Due means strictly later than the deadline.
inline bool IsDue(TDeadline Deadline, TDeadline TickTime) { return TickTime > Deadline; }
