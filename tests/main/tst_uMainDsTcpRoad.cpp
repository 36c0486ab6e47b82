// The TCP road through the tick: a fake module on loopback, the clock injected.
#include "FakeHttpModule.h"
#include "OrvaneLink.h"
#include "TestApp.h"
#include "uMainDs.h"
#include "uOrvane97.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <functional>
#include <memory>

class TstTcpRoad : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startReadsSettingsThenSpeaksOrvane();
    void namesThenCycle();
    void refusedConnectionRetries();
    void halfFrameOfADroppedConnection();
    void startForgetsTheStatesOfAnotherModule_data();
    void startForgetsTheStatesOfAnotherModule();

private:
    std::unique_ptr<TTestApp> App;
    std::unique_ptr<TOrvaneLink> Link;

    // The run after a good settings document in mode 0: tiles made, connection opened.
    void StartRun(int Inputs, int Outputs);
    // Ticks at the frozen time, letting the socket events in, until Done holds.
    bool Drive(const std::function<bool()>& Done, int MaxTicks = 100);
    // Frames the module received, as "sig:data" in hex.
    QStringList Requests() const;
    QString Status() const { return fMainDs->lblSttInfo->text(); }
};

void TstTcpRoad::init() {
    App = std::make_unique<TTestApp>();
}

void TstTcpRoad::cleanup() {
    Link.reset();
    App.reset();
}

void TstTcpRoad::StartRun(int Inputs, int Outputs) {
    Link = std::make_unique<TOrvaneLink>(Inputs, Outputs);
    Link->Aim();
    fMainDs->TrackOnProc(NeverTime);
    MonitorState.DevMode = 0;
    MakeTiles(Inputs, Outputs);
    QVERIFY(fMainDs->SockCliOrvOn());
}

bool TstTcpRoad::Drive(const std::function<bool()>& Done, int MaxTicks) {
    for (int I = 0; I < MaxTicks; ++I) {
        if (Done())
            return true;
        static_cast<void>(QTest::qWaitFor([] { return MonitorState.RxFlag; }, 50));
        App->Tick();
    }
    return Done();
}

QStringList TstTcpRoad::Requests() const {
    QStringList Out;
    for (const QByteArray& F : Link->Module.Received()) {
        QByteArray Err;
        TOrvaneFormat97 Rec;
        FrameDecode(Err, F, Rec);
        Out.append(QString::number(Rec.SIG) + u':' + QString::fromLatin1(Rec.DATA.toHex()));
    }
    return Out;
}

void TstTcpRoad::startReadsSettingsThenSpeaksOrvane() {
    auto& M = MonitorState;
    Link = std::make_unique<TOrvaneLink>(8, 8);
    Link->State.Mode = 0;
    Link->State.Info = QStringLiteral("Tarvo IO 8/8;");
    Link->State.Outputs[7] = true;
    TFakeHttpModule Http(&Link->State);
    QVERIFY(Http.Listen());
    // The web port stays in the field; the Orvane port comes from the settings.
    fMainDs->edtIpAdr->setText(Http.HostPort());

    fMainDs->btnTrackSwClick();
    App->TickAfter(1);
    QVERIFY(QTest::qWaitFor([&] { return M.TmSetXmlDone.load() != NeverTime; }, 10000));
    App->TickAfter(1);
    QCOMPARE(M.DevMode, 0);
    QCOMPARE(M.OrvPort, int(Link->Module.Port()));
    QCOMPARE(fMainDs->PnlIn.size(), 8);
    QCOMPARE(fMainDs->PnlOut.size(), 8);
    QVERIFY(Link->WaitConnected());
    QCOMPARE(M.TmGetNames, Now());

    App->TickAfter(1);
    QVERIFY(Drive([&] { return M.TmGetIo != NeverTime; }, 200));
    QStringList Names;
    for (int I = 1; I <= 8; ++I)
        Names.append(QStringLiteral("7:%1").arg(I, 2, 10, QChar(u'0')));
    for (int I = 1; I <= 8; ++I)
        Names.append(QStringLiteral("8:%1").arg(I, 2, 10, QChar(u'0')));
    QCOMPARE(Requests(), Names);
    QCOMPARE(fMainDs->PnlOut[7].lblName->text(), QStringLiteral("Out 8"));

    App->TickAfter(1);
    QVERIFY(Drive([&] { return !M.OutStt.isEmpty(); }));
    QCOMPARE(Bits(M.OutSet), QStringLiteral("00000001"));
    QCOMPARE(M.TmIoCycle, Now() + 300);
    fMainDs->btnTrackSwClick();
    QVERIFY(!M.Tracking);
    QVERIFY(!fMainDs->SockCliActive());
}

void TstTcpRoad::namesThenCycle() {
    auto& M = MonitorState;
    StartRun(3, 2);
    Link->State.Inputs = ToArray(QStringLiteral("101"));
    Link->State.OutNames[1] = QString::fromUtf8("Brána");
    QVERIFY(Link->WaitConnected());
    QCOMPARE(Status(), QStringLiteral("Connect"));
    QCOMPARE(M.TmGetNames, Now());

    // Names: inputs 1 to 3, then outputs 1 and 2, each asked after the last answer.
    App->TickAfter(1);
    QVERIFY(Drive([&] { return M.TmGetIo != NeverTime; }));
    QCOMPARE(Requests(), QStringList({"7:01", "7:02", "7:03", "8:01", "8:02"}));
    QCOMPARE(fMainDs->PnlIn[2].lblName->text(), QStringLiteral("In 3"));
    QCOMPARE(fMainDs->PnlOut[1].lblName->text(), QString::fromUtf8("Brána"));

    // Then the inputs and the outputs; the cycle 300 ms after the last answer.
    Link->Module.ClearReceived();
    App->TickAfter(1);
    QVERIFY(Drive([&] { return !M.OutStt.isEmpty(); }));
    QCOMPARE(Requests(), QStringList({"4:", "5:"}));
    QCOMPARE(Bits(M.InStt), QStringLiteral("101"));
    QCOMPARE(Bits(M.OutSet), QStringLiteral("00"));
    QCOMPARE(Status(), QStringLiteral("Receive OK"));
    QCOMPARE(M.TmAckTout, NeverTime);
    QCOMPARE(M.TmIoCycle, Now() + 300);

    // A pass reads or writes the outputs, then reads the inputs: the inputs,
    // changed on the module for every pass, show when its last answer is in.
    const auto Pass = [&] {
        Link->Module.ClearReceived();
        Link->State.Inputs[0] = !Link->State.Inputs[0];
        const QString Want = Bits(Link->State.Inputs);
        App->TickAfter(300);
        if (!Link->Module.Received().isEmpty())
            return false;
        App->TickAfter(1);
        if (M.TmAckTout != Now() + 2000)
            return false;
        return Drive([&] { return Bits(M.InStt) == Want; });
    };
    QVERIFY(Pass());
    QCOMPARE(Requests(), QStringList({"5:", "4:"}));
    QCOMPARE(M.TmIoCycle, Now() + 300);
    QCOMPARE(M.TmAckTout, NeverTime);

    // Someone else switches output 1 on: the pass after its reading sets it back.
    Link->State.Outputs[0] = true;
    QVERIFY(Pass());
    QCOMPARE(Bits(M.OutStt), QStringLiteral("10"));
    QVERIFY(Pass());
    QCOMPARE(Requests(), QStringList({"6:0102", "4:"}));
    QCOMPARE(Bits(Link->State.Outputs), QStringLiteral("00"));
    QCOMPARE(Bits(M.OutStt), QStringLiteral("00"));
    QVERIFY(Pass());
    QCOMPARE(Requests(), QStringList({"5:", "4:"}));

    // On for output 2: the next pass writes it.
    fMainDs->btnOnClick(fMainDs->PnlOut[1].btnOn);
    QVERIFY(Pass());
    QCOMPARE(Link->Module.Received().first().toHex(' '),
             FrameBuild(0x31, 6, 0x20, QByteArray::fromHex("0182")).toHex(' '));
    QCOMPARE(Bits(Link->State.Outputs), QStringLiteral("01"));
    QCOMPARE(Bits(M.OutStt), QStringLiteral("01"));
    QCOMPARE(fMainDs->PnlOut[1].lblStt->text(), QStringLiteral("1"));

    // The module stops answering: time-out, close, and a new connection 30 s after the last close.
    Link->Module.SetAnswering(false);
    Link->Module.ClearReceived();
    App->TickAfter(301);
    QVERIFY(Link->WaitFrames(2));
    const TDeadline Sent = Now();
    App->RunFor(2000, 500);
    QCOMPARE(M.TmAckTout, Sent + 2000);
    App->TickAfter(1);
    QCOMPARE(Status(), QStringLiteral("Orv ack tout err"));
    QCOMPARE(M.TmSockClose, Now() + 1000);
    App->TickAfter(1000);
    QVERIFY(fMainDs->SockCliActive());
    App->TickAfter(1);
    QVERIFY(!fMainDs->SockCliActive());
    QCOMPARE(Status(), QStringLiteral("Disconnect"));
    App->TickAfter(1001);
    const TDeadline LastClose = Now();
    QCOMPARE(M.TmSockOpen, LastClose + 30000);
    Link->Module.SetAnswering(true);
    App->RunFor(30000, 1000);
    QCOMPARE(Link->Module.ConnectionCount(), 1);
    App->TickAfter(1);
    QVERIFY(Link->WaitConnected());
    QTRY_COMPARE_WITH_TIMEOUT(Link->Module.ConnectionCount(), 2, 5000);
    QCOMPARE(M.TmGetNames, Now());

    // The new connection reads the names again and the cycle resumes.
    Link->Module.ClearReceived();
    App->TickAfter(1);
    QVERIFY(Drive([&] { return M.TmGetIo != NeverTime; }));
    QCOMPARE(Requests().size(), 5);
    App->TickAfter(1);
    QVERIFY(Drive([&] { return Link->Module.Received().size() == 7 && M.TmAckTout == NeverTime; }));
    QCOMPARE(M.TmIoCycle, Now() + 300);
    QVERIFY(Pass());

    fMainDs->TrackOffProc();
    QCOMPARE(Status(), QStringLiteral("Stopped"));
    QVERIFY(!fMainDs->SockCliActive());
}

void TstTcpRoad::refusedConnectionRetries() {
    auto& M = MonitorState;
    StartRun(1, 1);
    QSignalSpy States(fMainDs->SockCli, &QTcpSocket::stateChanged);
    const auto Attempts = [&] {
        int N = 0;
        for (const auto& Args : States)
            N += Args.first().value<QAbstractSocket::SocketState>() ==
                 QAbstractSocket::ConnectingState;
        return N;
    };
    // The module is gone for good after the first connection.
    QVERIFY(Link->WaitConnected());
    const quint16 Port = Link->Module.Port();
    Link->Module.StopListening();
    Link->Module.CloseClients();
    QTRY_VERIFY_WITH_TIMEOUT(!fMainDs->SockCliActive(), 5000);
    QCOMPARE(M.TmSockClose, Now() + 1000);
    App->TickAfter(1001);
    QCOMPARE(M.TmSockOpen, Now() + 30000);

    for (int Retry = 1; Retry <= 2; ++Retry) {
        App->RunFor(30000, 1000);
        QCOMPARE(Attempts(), Retry - 1);
        fMainDs->lblSttInfo->clear();
        App->TickAfter(1);
        QCOMPARE(Attempts(), Retry);
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Sock err : 111"), 5000);
        QCOMPARE(M.TmSockClose, Now() + 1000);
        App->TickAfter(1001);
        QCOMPARE(M.TmSockOpen, Now() + 30000);
    }

    // Back again: the next retry connects and reads the names.
    QVERIFY(Link->Module.Listen(Port));
    App->RunFor(30001, 1000);
    QVERIFY(Link->WaitConnected());
    QCOMPARE(Status(), QStringLiteral("Connect"));
}

void TstTcpRoad::halfFrameOfADroppedConnection() {
    auto& M = MonitorState;
    StartRun(2, 0);
    QVERIFY(Link->WaitConnected());
    // Half an answer whose length field waits for 65 KB, then the line drops.
    Link->Module.SendRaw(QByteArray::fromHex("2A61FFFF310400"));
    QVERIFY(Drive([&] { return !M.RxBuf.isEmpty(); }));
    Link->Module.CloseClients();
    QTRY_VERIFY_WITH_TIMEOUT(!fMainDs->SockCliActive(), 5000);
    App->TickAfter(1001);
    App->TickAfter(1001);
    App->RunFor(30001, 1000);
    QVERIFY(Link->WaitConnected());
    QVERIFY(M.RxBuf.isEmpty());

    // Answers now come in pieces, the first one behind some garbage.
    Link->Module.SetPieceSize(3);
    Link->Module.InjectBeforeNextAnswer("garbage\r\n*");
    Link->Module.ClearReceived();
    App->TickAfter(1);
    QVERIFY(Drive([&] { return M.TmGetIo != NeverTime; }));
    QCOMPARE(Requests(), QStringList({"7:01", "7:02"}));
    QCOMPARE(fMainDs->PnlIn[0].lblName->text(), QStringLiteral("In 1"));
    QCOMPARE(fMainDs->PnlIn[1].lblName->text(), QStringLiteral("In 2"));
}

void TstTcpRoad::startForgetsTheStatesOfAnotherModule_data() {
    QTest::addColumn<QString>("next");
    QTest::addColumn<bool>("kept");
    QTest::newRow("same module") << "10.0.0.7" << true;
    QTest::newRow("another module") << "10.0.0.8" << false;
}

void TstTcpRoad::startForgetsTheStatesOfAnotherModule() {
    QFETCH(QString, next);
    QFETCH(bool, kept);
    auto& M = MonitorState;
    fMainDs->edtIpAdr->setText(QStringLiteral("10.0.0.7"));
    fMainDs->TrackOnProc(NeverTime);
    M.InStt = ToArray(QStringLiteral("1"));
    M.OutStt = ToArray(QStringLiteral("01"));
    M.OutSet = ToArray(QStringLiteral("11"));
    fMainDs->TrackOffProc();
    fMainDs->edtIpAdr->setText(next);
    fMainDs->TrackOnProc(NeverTime);
    QCOMPARE(Bits(M.InStt), kept ? QStringLiteral("1") : QString());
    QCOMPARE(Bits(M.OutStt), kept ? QStringLiteral("01") : QString());
    QCOMPARE(Bits(M.OutSet), kept ? QStringLiteral("11") : QString());
    fMainDs->TrackOffProc();
}

QTEST_MAIN(TstTcpRoad)
#include "tst_uMainDsTcpRoad.moc"
