// The WEB road through the tick: Start, settings, first read, periodic reads,
// output commands and refused modes, against a fake module on 127.0.0.1.
#include "FakeHttpModule.h"
#include "TestApp.h"
#include "uDebug.h"
#include "uMainDs.h"
#include "udmHttpCliThr.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

// The worker runs in real time while the tick's clock stands still.
bool WaitDone(const TDoneDeadline& Done) {
    QElapsedTimer T;
    T.start();
    while (Done.load() == NeverTime) {
        if (T.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QString Status() {
    return fMainDs->lblSttInfo->text();
}

template <typename TTile> QStringList Names(const QList<TTile>& L) {
    QStringList Out;
    for (const TTile& T : L)
        Out.append(T.lblName->text());
    return Out;
}

template <typename TTile> QString States(const QList<TTile>& L) {
    QStringList Out;
    for (const TTile& T : L)
        Out.append(T.lblStt->text());
    return Out.join(QLatin1Char(','));
}

} // namespace

class TestWebRoad : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestApp> App;
    TFakeModuleState State;
    std::unique_ptr<TFakeHttpModule> Fake;
    TMessageBoxProc SavedMessageBox;
    QStringList Boxes;

    // Start, the settings document and the first live-state read.
    void RunToFirstRead() {
        fMainDs->btnTrackSwClick();
        App->TickAfter(10);
        QVERIFY(WaitDone(MonitorState.TmSetXmlDone));
        App->TickAfter(10);
        QCOMPARE(MonitorState.DevMode, 3);
        App->TickAfter(1010);
        QVERIFY(WaitDone(MonitorState.TmFreshDone));
        App->TickAfter(10);
        QCOMPARE(MonitorState.TmPollStart, Now() + 1000);
    }

    // Ticks up to the armed poll start, then once more so that it fires.
    void TickIntoPoll() {
        const TDeadline At = MonitorState.TmPollStart;
        QVERIFY(At != NeverTime && At >= Now());
        ClockSetNow(At);
        App->Tick();
        QCOMPARE(MonitorState.TmPollStart, At); // due only strictly after
        App->TickAfter(10);
        QCOMPARE(MonitorState.TmPollStart, Now() + 30000);
        QCOMPARE(MonitorState.TmPollTout, Now() + 5000);
    }

private slots:
    void init() {
        App = std::make_unique<TTestApp>();
        State = TFakeModuleState{};
        State.Mode = 3;
        State.Name = QStringLiteral("Hall");
        State.InNames = {QStringLiteral("Door"), QStringLiteral("Window"), QStringLiteral("Smoke")};
        State.OutNames = {QStringLiteral("Light"), QStringLiteral("Fan")};
        State.Inputs = {true, false, true};
        State.Outputs = {true, false};
        Fake = std::make_unique<TFakeHttpModule>(&State);
        QVERIFY(Fake->Listen());
        fMainDs->edtIpAdr->setText(Fake->HostPort());
        SavedMessageBox = MessageBoxProc;
        Boxes.clear();
        MessageBoxProc = [this](QWidget*, const QString& Text) { Boxes.append(Text); };
    }

    void cleanup() {
        MessageBoxProc = SavedMessageBox;
        App.reset();
        Fake.reset();
    }

    void settingsThenPeriodicReads() {
        auto& M = MonitorState;
        fMainDs->btnTrackSwClick();
        const TDeadline T0 = Now();
        QCOMPARE(M.TmSetXmlStart, T0);
        App->Tick();
        QCOMPARE(M.TmSetXmlTout, NeverTime);
        App->TickAfter(10);
        QCOMPARE(M.TmSetXmlTout, T0 + 10 + 5000);

        QVERIFY(WaitDone(M.TmSetXmlDone));
        App->TickAfter(10);
        const TDeadline T4 = Now();
        QCOMPARE(M.DevMode, 3);
        QCOMPARE(fMainDs->lbl5->text(), QStringLiteral("WEB"));
        QCOMPARE(fMainDs->lbl4->text(), QStringLiteral("Hall"));
        QCOMPARE(fMainDs->lblInfo->text(), QStringLiteral("Device: Tarvo sim 8/8;   S/N: 1"));
        QCOMPARE(Status(), QStringLiteral("GET OK"));
        QCOMPARE(M.TmSetXmlTout, NeverTime);
        QCOMPARE(M.TmSetXmlStart, NeverTime);
        QCOMPARE(M.TmFreshStart, T4 + 1000);
        QCOMPARE(Names(fMainDs->PnlIn), (QStringList{"Door", "Window", "Smoke"}));
        QCOMPARE(Names(fMainDs->PnlOut), (QStringList{"Light", "Fan"}));

        // First live-state read 1000 ms after the settings document.
        State.Name = QStringLiteral("Hall B");
        ClockSetNow(T4 + 1000);
        App->Tick();
        QCOMPARE(M.TmFreshTout, NeverTime);
        App->TickAfter(10);
        QCOMPARE(M.TmFreshTout, Now() + 5000);
        QVERIFY(WaitDone(M.TmFreshDone));
        App->TickAfter(10);
        QCOMPARE(fMainDs->lbl4->text(), QStringLiteral("Hall B")); // read from fresh.xml
        QCOMPARE(States(fMainDs->PnlIn), QStringLiteral("1,0,1"));
        QCOMPARE(States(fMainDs->PnlOut), QStringLiteral("1,0"));
        QCOMPARE(M.TmFreshTout, NeverTime);
        QCOMPARE(M.TmFreshStart, NeverTime);
        QCOMPARE(M.TmPollStart, Now() + 1000);

        // Good answer: the next read 1000 ms later.
        State.Inputs[1] = true;
        TickIntoPoll();
        QVERIFY(WaitDone(M.TmPollDone));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("GET OK"));
        QCOMPARE(States(fMainDs->PnlIn), QStringLiteral("1,1,1"));
        QCOMPARE(M.TmPollTout, NeverTime);
        QCOMPARE(M.TmPollStart, Now() + 1000);
        QCOMPARE(Fake->Targets(), (QStringList{"/settings.xml", "/fresh.xml", "/fresh.xml"}));

        // 404: the next read 10000 ms after the answer.
        Fake->SetStatus(QStringLiteral("/fresh.xml"), 404);
        M.DebugOn = true;
        TickIntoPoll();
        QVERIFY(WaitDone(M.TmPollDone));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("Status code : 404"));
        QCOMPARE(M.HttpStatus, 404);
        // The body of the 11th attempt, the path's 13th request.
        const QString Last = fDebug->lst1->item(fDebug->lst1->count() - 1)->text();
        QVERIFY2(Last.contains(QStringLiteral("Response : <html><body>404 Not Found (request 13)")),
                 qPrintable(Last));
        M.DebugOn = false;
        QCOMPARE(M.TmPollStart, Now() + 10000);
        QCOMPARE(Fake->RequestCount(QStringLiteral("/fresh.xml")), 2 + 11);

        // No answer: "Get timeout" after 5000 ms, the next read 30000 ms after the start.
        Fake->ClearAnswers();
        Fake->SetHang(QStringLiteral("/fresh.xml"));
        TickIntoPoll();
        const TDeadline T9 = Now();
        QTRY_COMPARE_WITH_TIMEOUT(Fake->RequestCount(QStringLiteral("/fresh.xml")), 14, 5000);
        ClockSetNow(T9 + 5000);
        App->Tick();
        QCOMPARE(Status(), QStringLiteral("Status code : 404"));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("Get timeout"));
        QCOMPARE(M.TmPollStart, T9 + 30000);

        // The module answers again; the hanging request gives way to the new one.
        Fake->ClearAnswers();
        TickIntoPoll();
        QCOMPARE(Now(), T9 + 30010);
        QVERIFY(WaitDone(M.TmPollDone));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("GET OK"));
        QCOMPARE(M.TmPollStart, Now() + 1000);
        QCOMPARE(Fake->RequestCount(QStringLiteral("/fresh.xml")), 15);
        QVERIFY(M.Tracking);
    }

    void badFirstReadEndsTheRoad() {
        Fake->SetStatus(QStringLiteral("/fresh.xml"), 404);
        fMainDs->btnTrackSwClick();
        App->TickAfter(10);
        QVERIFY(WaitDone(MonitorState.TmSetXmlDone));
        App->TickAfter(10);
        App->TickAfter(1010);
        QVERIFY(WaitDone(MonitorState.TmFreshDone));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("Status code : 404"));
        QCOMPARE(MonitorState.TmFreshStart, NeverTime);
        QCOMPARE(MonitorState.TmPollStart, NeverTime);
        QVERIFY(MonitorState.Tracking);
    }

    void settingsTimeout() {
        Fake->SetHang(QStringLiteral("/settings.xml"));
        fMainDs->btnTrackSwClick();
        App->TickAfter(10);
        App->TickAfter(5000);
        QCOMPARE(Status(), QStringLiteral("---"));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("Get timeout"));
        QCOMPARE(MonitorState.TmFreshStart, NeverTime);
    }

    void outputCommands() {
        auto& M = MonitorState;
        RunToFirstRead();
        QCOMPARE(fMainDs->PnlOut.size(), 2);
        QCOMPARE(States(fMainDs->PnlOut), QStringLiteral("1,0"));

        // The last press before the request starts is the one sent.
        fMainDs->PnlOut[1].btnOn->click();
        fMainDs->PnlOut[0].btnOff->click();
        QCOMPARE(M.TmPollStart, Now());
        App->TickAfter(10);
        QCOMPARE(M.WebOutCmd, QChar(0));
        QVERIFY(WaitDone(M.TmPollDone));
        QCOMPARE(Fake->Targets().last(), QStringLiteral("/set.xml?type=r&id=1"));
        QVERIFY(!Fake->Targets().contains(QStringLiteral("/set.xml?type=s&id=2")));
        QCOMPARE(State.Outputs, (TTarvoIOArray{false, false}));
        App->TickAfter(10);
        QCOMPARE(Status(), QStringLiteral("GET OK"));
        QCOMPARE(M.TmPollStart, Now() + 1000);
        QCOMPARE(States(fMainDs->PnlOut), QStringLiteral("0,0")); // the answer to the command

        // A press while a read's answer waits: only its status is looked at,
        // and the command goes out with the next start.
        TickIntoPoll();
        State.Name = QStringLiteral("Not shown");
        State.Inputs = {false, false, false};
        QVERIFY(WaitDone(M.TmPollDone));
        const QString Name = fMainDs->lbl4->text();
        ClockAdvance(10);
        fMainDs->PnlOut[1].btnOn->click();
        App->Tick();
        QCOMPARE(Status(), QStringLiteral("GET OK"));
        QCOMPARE(fMainDs->lbl4->text(), Name);
        QCOMPARE(States(fMainDs->PnlIn), QStringLiteral("1,0,1"));
        QCOMPARE(M.WebOutCmd, QChar(u's'));
        QCOMPARE(M.TmPollStart, Now() + 1000);
        const int Before = Fake->RequestCount();
        TickIntoPoll();
        QVERIFY(WaitDone(M.TmPollDone));
        QCOMPARE(Fake->RequestCount(), Before + 1);
        QCOMPARE(Fake->Targets().last(), QStringLiteral("/set.xml?type=s&id=2"));
        QCOMPARE(State.Outputs, (TTarvoIOArray{false, true}));
        App->TickAfter(10);
        QCOMPARE(States(fMainDs->PnlOut), QStringLiteral("0,1"));
        QCOMPARE(States(fMainDs->PnlIn), QStringLiteral("0,0,0"));
    }

    void pressesWhileStoppedAreIgnored() {
        RunToFirstRead();
        fMainDs->btnTrackSwClick(); // Stop
        fMainDs->PnlOut[0].btnOff->click();
        QCOMPARE(MonitorState.WebOutCmd, QChar(0));
        App->RunFor(3000, 100);
        QCOMPARE(Fake->RequestCount(QStringLiteral("/set.xml")), 0);
        QCOMPARE(Fake->RequestCount(QStringLiteral("/fresh.xml")), 1);
    }

    void refusedMode_data() {
        QTest::addColumn<QString>("Settings");
        QTest::newRow("TCP client")
            << QStringLiteral("<set box=\"1\" mode=\"1\"/>"
                              "<set box=\"10\"><item id=\"1\" name=\"A\"/></set>");
        QTest::newRow("UDP") << QStringLiteral("<set box=\"1\" mode=\"2\"/>");
        QTest::newRow("no mode") << QStringLiteral("<set box=\"8\" name=\"X\"/>");
    }

    void refusedMode() {
        QFETCH(QString, Settings);
        Fake->SetBody(QStringLiteral("/settings.xml"), Settings);
        fMainDs->btnTrackSwClick();
        App->TickAfter(10);
        QVERIFY(WaitDone(MonitorState.TmSetXmlDone));
        App->TickAfter(10);
        QCOMPARE(Boxes, QStringList{"Switch Tarvo to WEB or TCP server communication mode"});
        QCOMPARE(MonitorState.TmTrackOff, Now());
        QVERIFY(MonitorState.Tracking);
        QVERIFY(fMainDs->PnlIn.isEmpty());
        App->TickAfter(10);
        QVERIFY(!MonitorState.Tracking);
        QCOMPARE(Status(), QStringLiteral("Stopped"));
        QCOMPARE(fMainDs->btnTrackSw->text(), QStringLiteral("Start"));
        App->RunFor(3000, 100);
        QCOMPARE(Boxes.size(), 1);
        QCOMPARE(Fake->Targets(), QStringList{"/settings.xml"});
    }
};

QTEST_MAIN(TestWebRoad)
#include "tst_uMainDsWebRoad.moc"
