#include "TestApp.h"

#include "uApp.h"
#include "uMainDs.h"

#include <QDir>
#include <QTimer>

#include <memory>

void ResetMonitorState() {
    std::destroy_at(&MonitorState);
    std::construct_at(&MonitorState);
}

TTestApp::TTestApp() {
    ResetMonitorState();
    ClockSetNow(StartTime);
    CreateTopLevelObjects();
    fMainDs->tmr1->stop();
    MonitorState.IniPath = Dir.path() + QDir::separator();
}

TTestApp::~TTestApp() {
    DestroyTopLevelObjects();
    ClockUseReal();
}

void TTestApp::Tick() { fMainDs->tmr1Timer(); }

void TTestApp::TickAfter(qint64 Ms) {
    ClockAdvance(Ms);
    Tick();
}

void TTestApp::RunFor(qint64 Ms, qint64 StepMs) {
    for (qint64 T = 0; T < Ms; T += StepMs)
        TickAfter(StepMs);
}
