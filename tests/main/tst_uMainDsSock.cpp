#include "OrvaneLink.h"
#include "TestApp.h"
#include "uMainDs.h"
#include "uSockCli.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <cerrno>
#include <memory>

class TstSock : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hostText_data();
    void hostText();
    void dottedAddress_data();
    void dottedAddress();
    void notADottedAddressFailsCleanly_data();
    void notADottedAddressFailsCleanly();
    void connectReportsAndStartsNames_data();
    void connectReportsAndStartsNames();
    void connectForgetsBytesOfTheLastConnection();
    void openingAgainStartsNothing();
    void anotherAddressReplacesTheConnection();
    void refusedConnect();
    void remoteClose();
    void closeReportsDisconnectAtOnce();
    void errorHandler();
    void readsAreStagedInOrder();
    void readDuringTheMoveGoesToTheSecondStage();
    void errorCodes_data();
    void errorCodes();

private:
    std::unique_ptr<TTestApp> App;
    QString Status() const { return fMainDs->lblSttInfo->text(); }
};

void TstSock::init() {
    App = std::make_unique<TTestApp>();
}

void TstSock::cleanup() {
    App.reset();
}

void TstSock::hostText_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("host");
    QTest::newRow("address only") << "192.168.1.254"
                                  << "192.168.1.254";
    QTest::newRow("address and web port") << "192.168.1.254:8080"
                                          << "192.168.1.254";
    QTest::newRow("colon at position 8") << "1.2.3.4:5"
                                         << "1.2.3.4";
    QTest::newRow("colon at position 7 stays") << "1.2.34:5"
                                               << "1.2.34:5";
    QTest::newRow("colon first stays") << ":80"
                                       << ":80";
}

void TstSock::hostText() {
    QFETCH(QString, field);
    QFETCH(QString, host);
    QCOMPARE(SockCliHostText(field), host);
}

void TstSock::dottedAddress_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::newRow("plain") << "192.168.1.254"
                           << "192.168.1.254";
    QTest::newRow("leading zeros are decimal") << "192.168.001.010"
                                               << "192.168.1.10";
    QTest::newRow("part over 255") << "300.1.1.1"
                                   << "";
    QTest::newRow("three parts") << "127.1.1"
                                 << "";
    QTest::newRow("host name") << "localhost"
                               << "";
    QTest::newRow("IPv6") << "::1"
                          << "";
    QTest::newRow("blank inside") << "127.0.0. 1"
                                  << "";
    QTest::newRow("trailing dot") << "1.2.3.4."
                                  << "";
}

void TstSock::dottedAddress() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    const QHostAddress Host = SockCliHost(text);
    QCOMPARE(Host.isNull() ? QString() : Host.toString(), address);
}

void TstSock::notADottedAddressFailsCleanly_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("empty") << "";
    QTest::newRow("host name") << "localhost";
    QTest::newRow("colon at position 6") << "1.2.3:45";
    QTest::newRow("three parts") << "127.1.1";
    QTest::newRow("part over 255") << "300.1.1.1";
    QTest::newRow("IPv6") << "::1";
    QTest::newRow("blank inside") << "127.0.0. 1";
}

void TstSock::notADottedAddressFailsCleanly() {
    QFETCH(QString, field);
    fMainDs->edtIpAdr->setText(field);
    QVERIFY(!fMainDs->SockCliOrvOn());
    QCOMPARE(fMainDs->SockCli->state(), QAbstractSocket::UnconnectedState);
}

void TstSock::connectReportsAndStartsNames_data() {
    QTest::addColumn<bool>("tracking");
    QTest::addColumn<QString>("field");
    QTest::newRow("monitoring") << true << "127.0.0.1";
    QTest::newRow("monitoring, web port in the field") << true << "127.0.0.1:8080";
    QTest::newRow("stopped") << false << "127.0.0.1";
}

void TstSock::connectReportsAndStartsNames() {
    QFETCH(bool, tracking);
    QFETCH(QString, field);
    TOrvaneLink Link(1, 1);
    MonitorState.Tracking = tracking;
    MonitorState.OrvPort = Link.Module.Port();
    fMainDs->edtIpAdr->setText(field);
    QVERIFY(fMainDs->SockCliOrvOn());
    QVERIFY(!fMainDs->SockCliActive());
    QVERIFY(Link.WaitConnected());
    QCOMPARE(fMainDs->SockCli->peerPort(), Link.Module.Port());
    QCOMPARE(Status(), QStringLiteral("Connect"));
    QCOMPARE(MonitorState.TmGetNames, tracking ? Now() : NeverTime);
    QCOMPARE(MonitorState.TmSockClose, NeverTime);
}

void TstSock::connectForgetsBytesOfTheLastConnection() {
    TOrvaneLink Link(1, 1);
    auto& M = MonitorState;
    M.RxBuf = Answer(4, 0, QByteArray::fromHex("01")).left(5);
    M.RxStage = "*a";
    M.RxStage2 = "xyz";
    QVERIFY(Link.Open());
    QVERIFY(M.RxBuf.isEmpty());
    QVERIFY(M.RxStage.isEmpty());
    QVERIFY(M.RxStage2.isEmpty());
}

void TstSock::openingAgainStartsNothing() {
    TOrvaneLink Link(1, 1);
    QVERIFY(Link.Open());
    QSignalSpy Connects(fMainDs->SockCli, &QTcpSocket::connected);
    MonitorState.Tracking = true;
    MonitorState.TmGetNames = NeverTime;
    QVERIFY(fMainDs->SockCliOrvOn());
    QTest::qWait(20);
    QCOMPARE(Connects.count(), 0);
    QCOMPARE(Link.Module.ConnectionCount(), 1);
    QVERIFY(fMainDs->SockCliActive());
    // A run that starts on the open connection still reads its names.
    QCOMPARE(MonitorState.TmGetNames, Now());
}

void TstSock::anotherAddressReplacesTheConnection() {
    TOrvaneLink Old(1, 1);
    TOrvaneLink New(1, 1);
    QVERIFY(Old.Open());
    MonitorState.Tracking = true;
    New.Aim();
    QVERIFY(fMainDs->SockCliOrvOn());
    QVERIFY(New.WaitConnected());
    QTRY_COMPARE_WITH_TIMEOUT(New.Module.ConnectionCount(), 1, 5000);
    QCOMPARE(fMainDs->SockCli->peerPort(), New.Module.Port());
    // Giving the old line up is no lost connection: no recovery follows.
    QCOMPARE(MonitorState.TmSockClose, NeverTime);
}

void TstSock::refusedConnect() {
    TOrvaneLink Link(1, 1);
    Link.Module.StopListening();
    MonitorState.Tracking = true;
    QSignalSpy Disconnects(fMainDs->SockCli, &QTcpSocket::disconnected);
    Link.Aim();
    QVERIFY(fMainDs->SockCliOrvOn());
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Sock err : %1").arg(ECONNREFUSED), 5000);
    QVERIFY(!fMainDs->SockCliActive());
    QCOMPARE(MonitorState.TmSockClose, Now() + 1000);
    QCOMPARE(MonitorState.TmGetNames, NeverTime);
    QTest::qWait(20);
    QCOMPARE(Status(), QStringLiteral("Sock err : %1").arg(ECONNREFUSED));
}

void TstSock::remoteClose() {
    TOrvaneLink Link(1, 1);
    QVERIFY(Link.Open());
    MonitorState.Tracking = true;
    QSignalSpy Errors(fMainDs->SockCli, &QTcpSocket::errorOccurred);
    Link.Module.CloseClients();
    QTRY_VERIFY_WITH_TIMEOUT(!fMainDs->SockCliActive(), 5000);
    // "Sock err : 104" first, then the disconnect.
    QCOMPARE(Errors.count(), 1);
    QCOMPARE(Errors.first().first().value<QAbstractSocket::SocketError>(),
             QAbstractSocket::RemoteHostClosedError);
    QCOMPARE(Status(), QStringLiteral("Disconnect"));
    QCOMPARE(MonitorState.TmSockClose, Now() + 1000);
}

void TstSock::closeReportsDisconnectAtOnce() {
    TOrvaneLink Link(1, 1);
    QVERIFY(Link.Open());
    MonitorState.Tracking = true;
    QVERIFY(fMainDs->SockCliOrvOff());
    QVERIFY(!fMainDs->SockCliActive());
    QCOMPARE(Status(), QStringLiteral("Disconnect"));
    QCOMPARE(MonitorState.TmSockClose, Now() + 1000);
    // Closing what is already closed is no new disconnect.
    fMainDs->lblSttInfo->clear();
    QVERIFY(fMainDs->SockCliOrvOff());
    QCOMPARE(Status(), QString());
}

void TstSock::errorHandler() {
    for (bool Tracking : {false, true}) {
        MonitorState.Tracking = Tracking;
        MonitorState.TmSockClose = NeverTime;
        int Code = ECONNRESET;
        fMainDs->SockCliError(Code);
        QCOMPARE(Code, 0);
        QCOMPARE(Status(), QStringLiteral("Sock err : %1").arg(ECONNRESET));
        QCOMPARE(MonitorState.TmSockClose, Tracking ? Now() + 1000 : NeverTime);
    }
}

void TstSock::readsAreStagedInOrder() {
    TOrvaneLink Link(1, 1);
    QVERIFY(Link.Open());
    Link.Module.SendRaw("ab");
    QVERIFY(Link.WaitRx());
    Link.Module.SendRaw("cd");
    QTRY_COMPARE_WITH_TIMEOUT(MonitorState.RxStage, QByteArray("abcd"), 5000);
    QVERIFY(MonitorState.RxBuf.isEmpty());
}

void TstSock::readDuringTheMoveGoesToTheSecondStage() {
    TOrvaneLink Link(1, 1);
    QVERIFY(Link.Open());
    MonitorState.RxLock = true;
    MonitorState.RxStage2 = "old";
    Link.Module.SendRaw("new");
    QTRY_COMPARE_WITH_TIMEOUT(MonitorState.RxStage2, QByteArray("new"), 5000);
    QVERIFY(MonitorState.RxStage.isEmpty());
}

void TstSock::errorCodes_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    using S = QAbstractSocket;
    QTest::newRow("refused") << int(S::ConnectionRefusedError) << "Connection refused"
                             << ECONNREFUSED;
    QTest::newRow("closed by the module")
        << int(S::RemoteHostClosedError) << "The remote host closed the connection" << ECONNRESET;
    QTest::newRow("timed out") << int(S::SocketTimeoutError) << "Socket operation timed out"
                               << ETIMEDOUT;
    QTest::newRow("connect timed out")
        << int(S::NetworkError) << "Connection timed out" << ETIMEDOUT;
    QTest::newRow("host unreachable") << int(S::NetworkError) << "Host unreachable" << EHOSTUNREACH;
    QTest::newRow("network unreachable")
        << int(S::NetworkError) << "Network unreachable" << ENETUNREACH;
    QTest::newRow("unknown") << int(S::UnknownSocketError) << "Unknown error" << EIO;
}

void TstSock::errorCodes() {
    QFETCH(int, error);
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(SockErrorCode(QAbstractSocket::SocketError(error), text), code);
}

QTEST_MAIN(TstSock)
#include "tst_uMainDsSock.moc"
