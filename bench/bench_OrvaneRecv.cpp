// The receive path with a backlog of answers waiting: the cost of one frame
// must not grow with the number of frames behind it.
#include "uApp.h"
#include "uClock.h"
#include "uMainDs.h"
#include "uOrvane97.h"

#include <QApplication>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

QByteArray Backlog(qint64 Answers) {
    const QByteArray One = FrameBuild(0x31, 4, 0, QByteArray::fromHex("A5"));
    QByteArray All;
    All.reserve(One.size() * Answers);
    for (qint64 I = 0; I < Answers; ++I)
        All.append(One);
    return All;
}

void Prepare() {
    MonitorState.Tracking = true;
    fMainDs->PnlIn.resize(8);
}

// Frames straight from RxBuf.
void BM_RecvBuffered(benchmark::State& State) {
    Prepare();
    const QByteArray Stream = Backlog(State.range(0));
    for (auto _ : State) {
        MonitorState.RxBuf = Stream;
        fMainDs->OrvaneTimerRecv_Buf_Rx();
        benchmark::DoNotOptimize(MonitorState.InStt.data());
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_RecvBuffered)->Arg(1)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The same bytes staged by the read handler and taken in by one tick.
void BM_RecvTick(benchmark::State& State) {
    Prepare();
    const QByteArray Stream = Backlog(State.range(0));
    for (auto _ : State) {
        MonitorState.RxStage = Stream;
        MonitorState.RxFlag = true;
        fMainDs->tmr1Timer();
        benchmark::DoNotOptimize(MonitorState.InStt.data());
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_RecvTick)->Arg(1)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    CreateTopLevelObjects();
    fMainDs->tmr1->stop();
    ClockSetNow(1'000'000'000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyTopLevelObjects();
    return 0;
}
