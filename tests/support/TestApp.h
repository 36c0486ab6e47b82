#pragma once

#include "uClock.h"
#include "uMonitorState.h"

#include <QTemporaryDir>

// Fresh monitor state, a frozen clock and the five top-level objects, with the
// real 10 ms timer stopped: a test moves time and ticks by hand.
class TTestApp {
public:
    TTestApp();
    ~TTestApp();
    TTestApp(const TTestApp&) = delete;
    TTestApp& operator=(const TTestApp&) = delete;

    // One tick at the current frozen time.
    void Tick();
    // Advances the clock by Ms, then ticks once.
    void TickAfter(qint64 Ms);
    // Ticks every StepMs until Ms have passed.
    void RunFor(qint64 Ms, qint64 StepMs = 10);

    QString IniDir() const { return Dir.path(); }

    static constexpr TDeadline StartTime = 1'000'000'000;

private:
    QTemporaryDir Dir;
};

// Puts every variable of the monitor state back to its initial value.
void ResetMonitorState();
