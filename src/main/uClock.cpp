#include "uClock.h"

#include <QElapsedTimer>

#include <atomic>

namespace {

constexpr TDeadline RealClock = -1;
std::atomic<TDeadline> FrozenNow{RealClock};

QElapsedTimer& Monotonic() {
    static QElapsedTimer Timer = [] {
        QElapsedTimer T;
        T.start();
        return T;
    }();
    return Timer;
}

} // namespace

TDeadline Now() {
    const TDeadline Frozen = FrozenNow.load(std::memory_order_acquire);
    if (Frozen != RealClock)
        return Frozen;
    // Offset keeps real values well away from 0 and negative sentinels.
    return Monotonic().elapsed() + 1000000;
}

void ClockSetNow(TDeadline Value) { FrozenNow.store(Value, std::memory_order_release); }

void ClockAdvance(qint64 Ms) { ClockSetNow(Now() + Ms); }

void ClockUseReal() { FrozenNow.store(RealClock, std::memory_order_release); }
