// The fake module must answer like the real one, or the tests built on it prove nothing.
#include "FakeOrvaneModule.h"
#include "uOrvane97.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

class TstFakeOrvaneModule : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void setOutputsChangesTheModule();
    void refusedSignature();
    void silentModuleStillRecords();
    void answersInPieces();
    void logCallbackAndClose();

private:
    TFakeModuleState State;
    std::unique_ptr<TFakeOrvaneModule> Module;
    std::unique_ptr<QTcpSocket> Client;
    // Sends one request and collects the bytes until Count bytes or the timeout.
    QByteArray Ask(const QByteArray& Request, qsizetype Count);
};

void TstFakeOrvaneModule::init() {
    State = TFakeModuleState();
    State.Inputs = {true, false, false, false, false, false, false, false, false, true};
    State.Outputs = {false, true, false};
    State.InNames = QStringList({QStringLiteral("Door")});
    State.OutNames = QStringList({QStringLiteral("Gate"), QString::fromUtf8("Čerpadlo")});
    Module = std::make_unique<TFakeOrvaneModule>(&State);
    QVERIFY(Module->Listen());
    QCOMPARE(State.OrvanePort, int(Module->Port()));
    Client = std::make_unique<QTcpSocket>();
    Client->connectToHost(QHostAddress::LocalHost, Module->Port());
    QVERIFY(Client->waitForConnected(5000));
    QTRY_COMPARE_WITH_TIMEOUT(Module->ClientCount(), 1, 5000);
}

void TstFakeOrvaneModule::cleanup() {
    Client.reset();
    Module.reset();
}

QByteArray TstFakeOrvaneModule::Ask(const QByteArray& Request, qsizetype Count) {
    Client->write(Request);
    QByteArray Got;
    static_cast<void>(QTest::qWaitFor(
        [&] {
            Got.append(Client->readAll());
            return Got.size() >= Count;
        },
        5000));
    return Got;
}

void TstFakeOrvaneModule::answers_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    const auto Frame = [](quint8 Sig, quint8 Inst, const QByteArray& Data) {
        return FrameBuild(0x31, Sig, Inst, Data);
    };
    QTest::newRow("inputs, big-endian bits")
        << Frame(4, 0x31, {}) << Frame(4, 0, QByteArray::fromHex("0201"));
    QTest::newRow("outputs") << Frame(5, 0x30, {}) << Frame(5, 0, QByteArray::fromHex("02"));
    QTest::newRow("name of input 1, padded")
        << Frame(7, 0x3B, QByteArray::fromHex("01"))
        << Frame(7, 0, QByteArray::fromHex("01") + "Door            ");
    QTest::newRow("name of output 2 in the module's code page")
        << Frame(8, 0x3A, QByteArray::fromHex("02"))
        << Frame(8, 0, QByteArray::fromHex("02C865727061646C6F2020202020202020"));
    QTest::newRow("name of an output that is not there")
        << Frame(8, 0x3A, QByteArray::fromHex("04")) << Frame(8, 1, {});
    QTest::newRow("wrong instruction") << Frame(4, 0x30, {}) << Frame(4, 1, {});
    QTest::newRow("identification")
        << Frame(1, 0xF3, {}) << Frame(1, 0, "Dorsena simulator; Tarvo sim 8/8;");
}

void TstFakeOrvaneModule::answers() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QCOMPARE(Ask(request, answer.size()).toHex(' '), answer.toHex(' '));
    QCOMPARE(Module->Received(), QList<QByteArray>({request}));
}

void TstFakeOrvaneModule::setOutputsChangesTheModule() {
    const QByteArray Answer = Ask(FrameBuild(0x31, 6, 0x20, QByteArray::fromHex("81028385")), 10);
    QCOMPARE(Answer.toHex(' '), FrameBuild(0x31, 6, 0, QByteArray::fromHex("05")).toHex(' '));
    QCOMPARE(State.Outputs, TTarvoIOArray({true, false, true}));
}

void TstFakeOrvaneModule::refusedSignature() {
    Module->SetRefuse(5, 0x0C);
    QCOMPARE(Ask(FrameBuild(0x31, 5, 0x30, {}), 9).toHex(' '),
             FrameBuild(0x31, 5, 0x0C, {}).toHex(' '));
}

void TstFakeOrvaneModule::silentModuleStillRecords() {
    Module->SetAnswering(false);
    // Garbage and a broken frame ahead of the request do not hide it.
    const QByteArray Request = FrameBuild(0x31, 4, 0x31, {});
    Client->write(QByteArray("xx\r*a\x00\x09zz", 9) + Request);
    QTRY_COMPARE_WITH_TIMEOUT(Module->Received().size(), 1, 5000);
    QCOMPARE(Module->Received().first(), Request);
    QCOMPARE(Module->ReceivedWithSig(4).size(), 1);
    QTest::qWait(20);
    QCOMPARE(Client->bytesAvailable(), 0);
}

void TstFakeOrvaneModule::answersInPieces() {
    Module->SetPieceSize(2);
    Module->InjectBeforeNextAnswer("junk");
    int Reads = 0;
    connect(Client.get(), &QTcpSocket::readyRead, this, [&] { ++Reads; });
    const QByteArray Answer = FrameBuild(0x31, 5, 0, QByteArray::fromHex("02"));
    QCOMPARE(Ask(FrameBuild(0x31, 5, 0x30, {}), 4 + Answer.size()), "junk" + Answer);
    QVERIFY(Reads > 1);
}

void TstFakeOrvaneModule::logCallbackAndClose() {
    QStringList Lines;
    Module->SetLog([&](const QString& S) { Lines.append(S); });
    Ask(FrameBuild(0x31, 4, 0x31, {}), 10);
    QVERIFY(!Lines.isEmpty());
    QSignalSpy Gone(Module.get(), &TFakeOrvaneModule::ClientDisconnected);
    Module->CloseClients();
    QTRY_COMPARE_WITH_TIMEOUT(Gone.count(), 1, 5000);
    QCOMPARE(Module->ClientCount(), 0);
}

QTEST_GUILESS_MAIN(TstFakeOrvaneModule)
#include "tst_FakeOrvaneModule.moc"
