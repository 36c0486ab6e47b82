#include "TestApp.h"
#include "uError.h"
#include "uMainDs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <stdexcept>

namespace {

constexpr TDeadline T0 = TTestApp::StartTime;
constexpr qint64 Never = -1; // expected offset meaning "disarmed"

using TPlain = TDeadline TMonitorState::*;
using TDone = TDoneDeadline TMonitorState::*;

const QHash<QString, TPlain>& PlainDeadlines() {
    static const QHash<QString, TPlain> Map{{"TmBusyStep", &TMonitorState::TmBusyStep},
                                            {"TmSetXmlStart", &TMonitorState::TmSetXmlStart},
                                            {"TmSetXmlTout", &TMonitorState::TmSetXmlTout},
                                            {"TmFreshStart", &TMonitorState::TmFreshStart},
                                            {"TmFreshTout", &TMonitorState::TmFreshTout},
                                            {"TmPollStart", &TMonitorState::TmPollStart},
                                            {"TmPollTout", &TMonitorState::TmPollTout},
                                            {"TmIoCycle", &TMonitorState::TmIoCycle},
                                            {"TmGetNames", &TMonitorState::TmGetNames},
                                            {"TmGetIo", &TMonitorState::TmGetIo},
                                            {"TmAckTout", &TMonitorState::TmAckTout},
                                            {"TmSockClose", &TMonitorState::TmSockClose},
                                            {"TmSockOpen", &TMonitorState::TmSockOpen},
                                            {"TmTrackOff", &TMonitorState::TmTrackOff},
                                            {"TmErrShow", &TMonitorState::TmErrShow}};
    return Map;
}

const QHash<QString, TDone>& DoneDeadlines() {
    static const QHash<QString, TDone> Map{{"TmSetXmlDone", &TMonitorState::TmSetXmlDone},
                                           {"TmFreshDone", &TMonitorState::TmFreshDone},
                                           {"TmPollDone", &TMonitorState::TmPollDone}};
    return Map;
}

void Arm(const QString& Name, TDeadline Value) {
    if (DoneDeadlines().contains(Name))
        (MonitorState.*DoneDeadlines().value(Name)).store(Value);
    else if (PlainDeadlines().contains(Name))
        MonitorState.*PlainDeadlines().value(Name) = Value;
    else
        QFAIL(qPrintable("unknown deadline " + Name));
}

TDeadline Get(const QString& Name) {
    if (DoneDeadlines().contains(Name))
        return (MonitorState.*DoneDeadlines().value(Name)).load();
    return MonitorState.*PlainDeadlines().value(Name);
}

TDeadline Expected(TDeadline TickTime, qint64 Offset) {
    return Offset == Never ? NeverTime : TickTime + Offset;
}

QString Status() {
    return fMainDs->lblSttInfo->text();
}
QString Busy() {
    return fMainDs->pnl4->text();
}

// Lets a test act at the moment step 19 shows the overlay.
class THookError : public TfError {
public:
    std::function<void()> OnShow;
    void setVisible(bool Visible) override {
        if (Visible && OnShow)
            OnShow();
        TfError::setVisible(Visible);
    }
};

THookError* InstallHookError() {
    delete fError;
    auto* Hook = new THookError;
    fError = Hook;
    return Hook;
}

} // namespace

class TstMainDsTick : public QObject {
    Q_OBJECT

private slots:
    void busyIndicatorTurns();
    void busyIndicatorOff();
    void armedToNowIsDueOnlyLater();
    void doneDeadlineFromWorker();
    void doneDeadlineKeepsNewerStore();
    void disarmedBeforeAction();
    void recoveryChainTimes();
    void orderWithinTick_data();
    void orderWithinTick();
    void indicatorStepsBeforeTrackOff();
    void trackOffBeforeErrShow();
    void monitoringOffOnlyDisarms_data();
    void monitoringOffOnlyDisarms();
    void monitoringOffStillActs();
    void errShowCentresOnce();
    void reentryIsSkipped();
    void errorEndsOnlyThisTick();
    void rxStagingMoves();
    void rxFlagClearOnlyMovesNothing();
    void rxBufProcess_data();
    void rxBufProcess();
    void ioOutputsDiffer_data();
    void ioOutputsDiffer();
    void ioCycleShortArrays();
};

void TstMainDsTick::busyIndicatorTurns() {
    TTestApp App;
    QCOMPARE(Busy(), QStringLiteral("x"));
    fMainDs->btnTrackSwClick(); // arms TmBusyStep := now
    App.Tick();
    QCOMPARE(Busy(), QStringLiteral("x")); // same millisecond: not yet

    const QStringList Sequence{"|", "/", "---", "\\", "|", "/"};
    for (const QString& Next : Sequence) {
        App.TickAfter(1);
        QCOMPARE(Busy(), Next);
        QCOMPARE(MonitorState.TmBusyStep, Now() + 300);
        App.TickAfter(300); // exactly at the deadline: not due
        QCOMPARE(Busy(), Next);
    }
}

void TstMainDsTick::busyIndicatorOff() {
    TTestApp App;
    fMainDs->btnTrackSwClick();
    App.RunFor(700);
    QVERIFY(Busy() != QStringLiteral("x"));

    fMainDs->btnTrackSwClick(); // Stop
    App.Tick();
    QCOMPARE(Busy(), QStringLiteral("x"));
    // Whatever wrote the caption, a tick while off shows "x" again.
    fMainDs->pnl4->setText(QStringLiteral("/"));
    App.TickAfter(10);
    QCOMPARE(Busy(), QStringLiteral("x"));

    // The service panel's Pause clears Tracking alone: the indicator stops too.
    fMainDs->btnTrackSwClick();
    App.RunFor(400);
    QVERIFY(Busy() != QStringLiteral("x"));
    MonitorState.Tracking = false;
    App.TickAfter(10);
    QCOMPARE(Busy(), QStringLiteral("x"));
}

void TstMainDsTick::armedToNowIsDueOnlyLater() {
    TTestApp App;
    // Start arms the settings request to now; it waits for a later tick.
    fMainDs->btnTrackSwClick();
    QCOMPARE(MonitorState.TmSetXmlStart, T0);
    App.Tick();
    QCOMPARE(MonitorState.TmSetXmlStart, T0);
    QCOMPARE(MonitorState.TmBusyStep, T0);

    // A deadline at exactly the tick time is not due; one millisecond later it is.
    MonitorState.Tracking = false; // no request leaves in this test
    MonitorState.TmSockClose = T0 + 5;
    App.TickAfter(5);
    QCOMPARE(MonitorState.TmSockClose, T0 + 5);
    App.TickAfter(1);
    QCOMPARE(MonitorState.TmSockClose, NeverTime);
    QCOMPARE(MonitorState.TmSetXmlStart, NeverTime);
}

void TstMainDsTick::doneDeadlineFromWorker() {
    TTestApp App;
    // The worker stores "now" when its answer is in place; the tick of that same
    // millisecond leaves it, the next one reads it.
    MonitorState.TmPollTout = T0 + 5000;
    MonitorState.TmPollDone.store(Now());
    App.Tick();
    QCOMPARE(MonitorState.TmPollDone.load(), T0);
    QCOMPARE(MonitorState.TmPollTout, T0 + 5000);
    App.TickAfter(1);
    QCOMPARE(MonitorState.TmPollDone.load(), NeverTime);
    QCOMPARE(MonitorState.TmPollTout, NeverTime);
}

void TstMainDsTick::doneDeadlineKeepsNewerStore() {
    // The worker of a second request may store its time between the tick's read
    // and its disarm; that completion must stay armed for the next tick.
    TDoneDeadline Done;
    Done.store(T0);
    const TDeadline Seen = Done.load();
    Done.store(T0 + 7); // the other thread, in between
    Done.disarm(Seen);
    QCOMPARE(Done.load(), T0 + 7);
    Done.disarm(T0 + 7);
    QCOMPARE(Done.load(), NeverTime);
}

void TstMainDsTick::disarmedBeforeAction() {
    TTestApp App;
    MonitorState.Tracking = true;
    // Step 15's action re-arms TmSockClose; step 16's action arms TmSockOpen.
    // Re-arming by an action survives only when the disarm came first.
    MonitorState.TmAckTout = T0;
    App.TickAfter(1);
    QCOMPARE(Status(), QStringLiteral("Orv ack tout err"));
    QCOMPARE(MonitorState.TmAckTout, NeverTime);
    QCOMPARE(MonitorState.TmSockClose, T0 + 1 + 1000);

    // Step 1 re-arms its own deadline from inside its action.
    MonitorState.TmBusyStep = Now();
    App.TickAfter(1);
    QCOMPARE(MonitorState.TmBusyStep, Now() + 300);
}

void TstMainDsTick::recoveryChainTimes() {
    TTestApp App;
    MonitorState.Tracking = true;
    MonitorState.TmAckTout = T0 + 2000; // a request sent at T0
    App.TickAfter(2000);
    QCOMPARE(Status(), QStringLiteral("---"));
    App.TickAfter(1);
    QCOMPARE(Status(), QStringLiteral("Orv ack tout err"));
    App.TickAfter(1000);
    QCOMPARE(MonitorState.TmSockOpen, NeverTime);
    App.TickAfter(1); // 1000 ms after the time-out: closed for a new start
    QCOMPARE(MonitorState.TmSockClose, NeverTime);
    QCOMPARE(MonitorState.TmSockOpen, T0 + 3002 + 30000);
}

void TstMainDsTick::orderWithinTick_data() {
    QTest::addColumn<QStringList>("due");
    QTest::addColumn<bool>("tracking");
    QTest::addColumn<QString>("status");    // expected status line; empty: not compared
    QTest::addColumn<QString>("notStatus"); // a text the status line must not show
    QTest::addColumn<QString>("check");     // a deadline to look at after the tick
    QTest::addColumn<qint64>("checkValue"); // its offset from the tick time, or Never

    // A done step disarms its time-out before the time-out step looks at it.
    QTest::newRow("4 before 5") << QStringList{"TmSetXmlDone", "TmSetXmlTout"} << false << ""
                                << "Get timeout"
                                << "TmSetXmlTout" << Never;
    QTest::newRow("7 before 8") << QStringList{"TmFreshDone", "TmFreshTout"} << false << ""
                                << "Get timeout"
                                << "TmFreshTout" << Never;
    QTest::newRow("10 before 11") << QStringList{"TmPollDone", "TmPollTout"} << false << ""
                                  << "Get timeout"
                                  << "TmPollTout" << Never;
    // Step 15 re-arms TmSockClose before step 16 could close.
    QTest::newRow("15 before 16") << QStringList{"TmAckTout", "TmSockClose"} << true
                                  << "Orv ack tout err"
                                  << ""
                                  << "TmSockOpen" << Never;
    QTest::newRow("15 before 16, close re-armed")
        << QStringList{"TmAckTout", "TmSockClose"} << true << "Orv ack tout err"
        << ""
        << "TmSockClose" << qint64(1000);
    QTest::newRow("11 before 15") << QStringList{"TmPollTout", "TmAckTout"} << true
                                  << "Orv ack tout err"
                                  << ""
                                  << "" << Never;
    // Stop runs late in the tick: its "Stopped" is the last word.
    QTest::newRow("5 before 18") << QStringList{"TmTrackOff", "TmSetXmlTout"} << true << "Stopped"
                                 << ""
                                 << "" << Never;
    QTest::newRow("8 before 18") << QStringList{"TmTrackOff", "TmFreshTout"} << true << "Stopped"
                                 << ""
                                 << "" << Never;
    QTest::newRow("15 and 11 before 18")
        << QStringList{"TmTrackOff", "TmAckTout", "TmPollTout"} << true << "Stopped"
        << ""
        << "" << Never;
}

void TstMainDsTick::orderWithinTick() {
    QFETCH(QStringList, due);
    QFETCH(bool, tracking);
    QFETCH(QString, status);
    QFETCH(QString, notStatus);
    QFETCH(QString, check);
    QFETCH(qint64, checkValue);

    TTestApp App;
    MonitorState.Tracking = tracking;
    for (const QString& Name : due)
        Arm(Name, T0);
    App.TickAfter(1);
    for (const QString& Name : due) {
        if (Name != check)
            QVERIFY2(Get(Name) != T0, qPrintable(Name + " did not fire"));
    }
    if (!status.isEmpty())
        QCOMPARE(Status(), status);
    if (!notStatus.isEmpty())
        QVERIFY(Status() != notStatus);
    if (!check.isEmpty())
        QCOMPARE(Get(check), Expected(Now(), checkValue));
}

void TstMainDsTick::indicatorStepsBeforeTrackOff() {
    TTestApp App;
    fMainDs->btnTrackSwClick();
    MonitorState.TmTrackOff = T0;
    App.TickAfter(1);
    // Step 1 ran while monitoring was still on, step 18 then switched it off.
    QCOMPARE(Busy(), QStringLiteral("|"));
    QVERIFY(!MonitorState.Tracking);
    QCOMPARE(fMainDs->btnTrackSw->text(), QStringLiteral("Start"));
    App.TickAfter(10);
    QCOMPARE(Busy(), QStringLiteral("x"));
}

void TstMainDsTick::trackOffBeforeErrShow() {
    TTestApp App;
    THookError* Hook = InstallHookError();
    bool ShownWhileTracking = false;
    Hook->OnShow = [&] { ShownWhileTracking = MonitorState.Tracking; };
    fMainDs->btnTrackSwClick();
    MonitorState.TmTrackOff = T0;
    MonitorState.TmErrShow = T0;
    App.TickAfter(1);
    QVERIFY(!MonitorState.Tracking);
    QVERIFY(!ShownWhileTracking);
}

void TstMainDsTick::monitoringOffOnlyDisarms_data() {
    QTest::addColumn<QString>("deadline");
    for (const char* Name : {"TmSetXmlStart", "TmFreshStart", "TmPollStart", "TmIoCycle",
                             "TmGetNames", "TmGetIo", "TmAckTout", "TmSockOpen"})
        QTest::newRow(Name) << QString::fromLatin1(Name);
}

void TstMainDsTick::monitoringOffOnlyDisarms() {
    QFETCH(QString, deadline);
    TTestApp App;
    Arm(deadline, T0);
    App.TickAfter(1);
    QCOMPARE(Get(deadline), NeverTime);
    QCOMPARE(Status(), QStringLiteral("---"));
    for (const QString& Name : PlainDeadlines().keys())
        QVERIFY2(Get(Name) == NeverTime, qPrintable(Name + " armed"));
    QVERIFY(!MonitorState.Tracking);
}

void TstMainDsTick::monitoringOffStillActs() {
    TTestApp App;
    for (const char* Name : {"TmSetXmlTout", "TmFreshTout", "TmPollTout"}) {
        fMainDs->lblSttInfo->setText(QStringLiteral("---"));
        Arm(QString::fromLatin1(Name), Now());
        App.TickAfter(1);
        QCOMPARE(Status(), QStringLiteral("Get timeout"));
    }

    MonitorState.TmSockClose = Now();
    App.TickAfter(1);
    QCOMPARE(MonitorState.TmSockClose, NeverTime);
    QCOMPARE(MonitorState.TmSockOpen, NeverTime); // no reopen while off

    MonitorState.TmTrackOff = Now();
    App.TickAfter(1);
    QCOMPARE(Status(), QStringLiteral("Stopped"));
}

void TstMainDsTick::errShowCentresOnce() {
    TTestApp App;
    fMainDs->setGeometry(300, 200, 904, 423);
    MonitorState.TmErrShow = T0;
    App.TickAfter(1);
    QVERIFY(fError->isVisible());
    QCOMPARE(MonitorState.TmErrShow, NeverTime);
    const QRect Main = fMainDs->frameGeometry();
    const QRect Over = fError->frameGeometry();
    QVERIFY2(qAbs(Over.center().x() - Main.center().x()) <= 1 &&
                 qAbs(Over.center().y() - Main.center().y()) <= 1,
             qPrintable(QStringLiteral("overlay at %1,%2").arg(Over.x()).arg(Over.y())));

    // Already visible: left where it is.
    fError->move(10, 20);
    const QPoint Kept = fError->pos();
    MonitorState.TmErrShow = Now();
    App.TickAfter(1);
    QCOMPARE(fError->pos(), Kept);
}

void TstMainDsTick::reentryIsSkipped() {
    TTestApp App;
    THookError* Hook = InstallHookError();
    // A timer event delivered while the tick is inside an action (a message box
    // runs its own loop) must not run a second tick.
    bool BusyInside = false;
    Hook->OnShow = [&] {
        BusyInside = MonitorState.TimerBusy;
        MonitorState.TmTrackOff = Now() - 1;
        fMainDs->tmr1Timer();
    };
    MonitorState.TmErrShow = T0;
    App.TickAfter(1);
    QVERIFY(BusyInside);
    QCOMPARE(MonitorState.TmTrackOff, T0); // the nested tick did nothing
    QCOMPARE(Status(), QStringLiteral("---"));
    QVERIFY(!MonitorState.TimerBusy);

    App.TickAfter(1);
    QCOMPARE(MonitorState.TmTrackOff, NeverTime);
    QCOMPARE(Status(), QStringLiteral("Stopped"));
}

void TstMainDsTick::errorEndsOnlyThisTick() {
    TTestApp App;
    THookError* Hook = InstallHookError();
    Hook->OnShow = [] { throw std::runtime_error("platform failure"); };
    MonitorState.TmErrShow = T0;
    App.TickAfter(1);
    QVERIFY(!MonitorState.TimerBusy);
    QCOMPARE(MonitorState.TmErrShow, NeverTime); // stays disarmed
    QVERIFY(fError->isHidden());

    // The next tick runs as usual.
    Hook->OnShow = nullptr;
    MonitorState.TmSetXmlTout = Now();
    App.TickAfter(1);
    QCOMPARE(Status(), QStringLiteral("Get timeout"));
    MonitorState.TmErrShow = Now();
    App.TickAfter(1);
    QVERIFY(fError->isVisible());
}

void TstMainDsTick::rxStagingMoves() {
    TTestApp App;
    auto& M = MonitorState;
    // The start of a frame that is still incomplete, so nothing consumes it.
    M.RxBuf = QByteArray("*a\x00", 3);
    M.RxStage = QByteArray("\x20\x31", 2);
    M.RxStage2 = "stale"; // left over: emptied before the move, never appended
    M.RxFlag = true;
    App.Tick();
    QVERIFY(!M.RxFlag);
    QCOMPARE(M.RxBuf, QByteArray("*a\x00\x20\x31", 5));
    QVERIFY(M.RxStage.isEmpty());
    QVERIFY(M.RxStage2.isEmpty());
    QVERIFY(!M.RxLock);

    // Without the flag nothing moves.
    M.RxStage = "\x06";
    App.TickAfter(10);
    QCOMPARE(M.RxStage, QByteArray("\x06"));
    QCOMPARE(M.RxBuf.size(), 5);
}

void TstMainDsTick::rxFlagClearOnlyMovesNothing() {
    TTestApp App;
    auto& M = MonitorState;
    M.RxBuf = QByteArray("*a\x00\x20", 4);
    M.RxFlag = true;
    App.Tick();
    QVERIFY(!M.RxFlag);
    QCOMPARE(M.RxBuf, QByteArray("*a\x00\x20", 4));
}

void TstMainDsTick::rxBufProcess_data() {
    QTest::addColumn<QByteArray>("buf");
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<int>("calls");
    QTest::addColumn<QByteArray>("rest");
    QTest::newRow("done at once") << QByteArray("*a") << "true" << 1 << QByteArray("*a");
    QTest::newRow("empty buffer still called once") << QByteArray() << "true" << 1 << QByteArray();
    QTest::newRow("fails without consuming: once")
        << QByteArray("junk\r*a") << "stuck" << 1 << QByteArray("junk\r*a");
    QTest::newRow("fails and consumes: until empty")
        << QByteArray("abc") << "drop1" << 3 << QByteArray();
    QTest::newRow("consumes then sticks")
        << QByteArray("abcdef") << "drop-until-d" << 4 << QByteArray("def");
    QTest::newRow("consumes then succeeds")
        << QByteArray("xy*a") << "drop-until-star" << 3 << QByteArray("*a");
    QTest::newRow("fails and grows: once") << QByteArray("ab") << "grow" << 1 << QByteArray("abz");
}

void TstMainDsTick::rxBufProcess() {
    QFETCH(QByteArray, buf);
    QFETCH(QString, behaviour);
    QFETCH(int, calls);
    QFETCH(QByteArray, rest);
    int Calls = 0;
    QByteArray Buf = buf;
    const auto Proc = [&]() -> bool {
        if (++Calls > 1000)
            return true; // a loop that never ends would otherwise hang the test
        if (behaviour == "true")
            return true;
        if (behaviour == "drop1" || (behaviour == "drop-until-d" && !Buf.startsWith('d'))) {
            Buf.remove(0, 1);
            return false;
        }
        if (behaviour == "drop-until-star") {
            if (Buf.startsWith('*'))
                return true;
            Buf.remove(0, 1);
            return false;
        }
        if (behaviour == "grow")
            Buf.append('z');
        return false;
    };
    TfMainDs::RxBufProcess(Buf, Proc);
    QCOMPARE(Calls, calls);
    QCOMPARE(Buf, rest);
}

void TstMainDsTick::ioOutputsDiffer_data() {
    QTest::addColumn<TTarvoIOArray>("stt");
    QTest::addColumn<TTarvoIOArray>("set");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<bool>("differ");
    const bool T = true, F = false;
    QTest::newRow("same") << TTarvoIOArray{T, F} << TTarvoIOArray{T, F} << 2 << false;
    QTest::newRow("second differs") << TTarvoIOArray{T, F} << TTarvoIOArray{T, T} << 2 << true;
    QTest::newRow("difference beyond the tiles")
        << TTarvoIOArray{T, F, F} << TTarvoIOArray{T, F, T} << 2 << false;
    QTest::newRow("no tiles") << TTarvoIOArray{T} << TTarvoIOArray{F} << 0 << false;
    QTest::newRow("both empty, tiles exist") << TTarvoIOArray{} << TTarvoIOArray{} << 4 << false;
    QTest::newRow("states shorter than tiles")
        << TTarvoIOArray{T} << TTarvoIOArray{T, T, T} << 3 << false;
    QTest::newRow("set shorter, differs inside")
        << TTarvoIOArray{F, T, T, T} << TTarvoIOArray{F, F} << 4 << true;
    QTest::newRow("set empty") << TTarvoIOArray{T, T} << TTarvoIOArray{} << 2 << false;
}

void TstMainDsTick::ioOutputsDiffer() {
    QFETCH(TTarvoIOArray, stt);
    QFETCH(TTarvoIOArray, set);
    QFETCH(int, tiles);
    QFETCH(bool, differ);
    QCOMPARE(TfMainDs::IoOutputsDiffer(stt, set, tiles), differ);
}

void TstMainDsTick::ioCycleShortArrays() {
    TTestApp App;
    auto& M = MonitorState;
    M.Tracking = true;
    fMainDs->PnlOut = QList<TPnlOut>(4);
    M.OutStt = {true};
    M.OutSet = {false, true, true};
    M.TmIoCycle = T0;
    App.TickAfter(1); // must not read either array past its end
    QCOMPARE(M.TmIoCycle, NeverTime);
    // Either the requests left (answer deadline armed) or the failure was reported.
    QVERIFY(M.TmAckTout != NeverTime || Status() == QStringLiteral("Sock send err"));
    QCOMPARE(M.OutStt.size(), 1);
    QCOMPARE(M.OutSet.size(), 3);
}

QTEST_MAIN(TstMainDsTick)
#include "tst_uMainDsTick.moc"
