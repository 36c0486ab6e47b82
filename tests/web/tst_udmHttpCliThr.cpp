// The web request worker against a fake module on 127.0.0.1.
#include "FakeHttpModule.h"
#include "TestApp.h"
#include "uApp.h"
#include "udmHttpCliThr.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

namespace {

QList<qint32> Schedule(int Step) {
    QList<qint32> L;
    for (int I = 1; I <= THttpCliThr::MaxAttempts; ++I)
        L.append(I * Step);
    return L;
}

} // namespace

class TestHttpCliThr : public QObject {
    Q_OBJECT

    TFakeModuleState State;
    std::unique_ptr<TFakeHttpModule> Fake;
    std::unique_ptr<TdmHttpCli> Cli;

    QString Url(const QString& Path) const {
        return QStringLiteral("http://") + Fake->HostPort() + Path;
    }

    // What a start operation does with the descriptor.
    void Start(int ID, const QString& URL, const QString& PostStr = QString()) {
        Cli->Abandon();
        Cli->GetID = ID;
        Cli->URL = URL;
        Cli->PostStr = PostStr;
        Cli->Start = Now();
        Cli->StatusCode = -1;
        Cli->Response.clear();
        Cli->ExcErrStr.clear();
        QVERIFY(Cli->Run());
    }

    bool WaitDone(int ID, int Ms = 5000) {
        QElapsedTimer T;
        T.start();
        while (DoneDeadline(ID)->load() == NeverTime) {
            if (T.elapsed() > Ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

private slots:
    void init() {
        ResetMonitorState();
        ClockSetNow(TTestApp::StartTime);
        THttpCliThr::ToutStepMs = 4000;
        State = TFakeModuleState{};
        State.Mode = 3;
        State.Inputs = {true, false};
        State.Outputs = {false, true};
        Fake = std::make_unique<TFakeHttpModule>(&State);
        QVERIFY(Fake->Listen());
        Cli = std::make_unique<TdmHttpCli>();
    }

    void cleanup() {
        Cli.reset();
        Fake.reset();
        THttpCliThr::ToutStepMs = 4000;
        ClockUseReal();
    }

    void oneAttemptOn200_data() {
        QTest::addColumn<int>("ID");
        QTest::newRow("settings") << 1;
        QTest::newRow("first read") << 2;
        QTest::newRow("periodic") << 3;
    }

    void oneAttemptOn200() {
        QFETCH(int, ID);
        Start(ID, Url(QStringLiteral("/settings.xml")));
        QVERIFY(WaitDone(ID));
        // Read right after the deadline: the results must already be there.
        QCOMPARE(Cli->StatusCode, 200);
        QCOMPARE(Cli->ExcErrStr, QString());
        QCOMPARE(Cli->Response, QString::fromUtf8(TFakeHttpModule::SettingsXml(State)));
        QCOMPARE(Cli->Count, 1);
        QCOMPARE(DoneDeadline(ID)->load(), TTestApp::StartTime);
        for (int Other = 1; Other <= 3; ++Other) {
            if (Other != ID)
                QCOMPARE(DoneDeadline(Other)->load(), NeverTime);
        }
        QCOMPARE(Fake->Targets(), QStringList{QStringLiteral("/settings.xml")});
        QCOMPARE(Fake->Requests().first().Method, QStringLiteral("GET"));
    }

    void unknownIdSignalsNothing() {
        Start(7, Url(QStringLiteral("/fresh.xml")));
        QTRY_VERIFY_WITH_TIMEOUT(Cli->Idle(), 5000);
        QCOMPARE(Cli->StatusCode, 200);
        for (int ID = 1; ID <= 3; ++ID)
            QCOMPARE(DoneDeadline(ID)->load(), NeverTime);
    }

    void elevenAttemptsOn404() {
        Fake->SetStatus(QStringLiteral("/fresh.xml"), 404);
        Start(3, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(3));
        QCOMPARE(Cli->Count, 11);
        QCOMPARE(Fake->RequestCount(QStringLiteral("/fresh.xml")), 11);
        QCOMPARE(Cli->StatusCode, 404);
        QCOMPARE(Cli->ExcErrStr, QString());
        QVERIFY2(Cli->Response.contains(QStringLiteral("(request 11)")), qPrintable(Cli->Response));
        QCOMPARE(Cli->Touts, Schedule(4000));
    }

    void failedAttemptKeepsEarlierBody() {
        Fake->SetStatus(QStringLiteral("/fresh.xml"), 404, 1);
        Fake->SetDrop(QStringLiteral("/fresh.xml"));
        Start(2, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(2));
        QCOMPARE(Cli->Count, 11);
        QCOMPARE(Cli->StatusCode, -1);
        QVERIFY(!Cli->ExcErrStr.isEmpty());
        QVERIFY2(Cli->Response.contains(QStringLiteral("(request 1)")), qPrintable(Cli->Response));
    }

    void successAfterFailures() {
        Fake->SetDrop(QStringLiteral("/fresh.xml"), 2);
        Fake->SetStatus(QStringLiteral("/fresh.xml"), 500, 3);
        Start(3, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(3));
        QCOMPARE(Cli->Count, 6);
        QCOMPARE(Cli->StatusCode, 200);
        QCOMPARE(Cli->ExcErrStr, QString());
        QCOMPARE(Cli->Response, QString::fromUtf8(TFakeHttpModule::FreshXml(State)));
    }

    // The module never answers: every attempt waits out its own timeout.
    void timeoutsGrowPerAttempt() {
        THttpCliThr::ToutStepMs = 20;
        Fake->SetHang(QStringLiteral("/fresh.xml"));
        Start(3, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(3, 10000));
        QCOMPARE(Cli->Count, 11);
        QCOMPARE(Cli->Touts, Schedule(20));
        QCOMPARE(Cli->StatusCode, -1);
        QVERIFY2(Cli->ExcErrStr.contains(QStringLiteral("timed out")), qPrintable(Cli->ExcErrStr));
        QVERIFY(Cli->Time >= 200);
        QCOMPARE(Fake->RequestCount(), 11);
    }

    void onlyPlainHttp_data() {
        QTest::addColumn<QString>("URL");
        QTest::addColumn<QString>("Error");
        QTest::newRow("file") << QStringLiteral("file:///etc/hostname")
                              << QStringLiteral("not supported");
        QTest::newRow("https") << QStringLiteral("https://127.0.0.1:1/settings.xml")
                               << QStringLiteral("not supported");
        QTest::newRow("malformed")
            << QStringLiteral("http:// 127.0.0.1 /settings.xml") << QStringLiteral("URL");
    }

    void onlyPlainHttp() {
        QFETCH(QString, URL);
        QFETCH(QString, Error);
        Start(1, URL);
        QVERIFY(WaitDone(1));
        QCOMPARE(Cli->Count, 11);
        QCOMPARE(Cli->StatusCode, -1);
        QCOMPARE(Cli->Response, QString());
        QVERIFY2(Cli->ExcErrStr.contains(Error), qPrintable(Cli->ExcErrStr));
    }

    void redirectNotFollowed() {
        TFakeHttpAnswer A;
        A.Status = 302;
        A.Body = QByteArray("moved");
        Fake->SetAnswer(QStringLiteral("/settings.xml"), A);
        Start(1, Url(QStringLiteral("/settings.xml")));
        QVERIFY(WaitDone(1));
        QCOMPARE(Cli->StatusCode, 302);
        QCOMPARE(Cli->Response, QStringLiteral("moved"));
        QCOMPARE(Fake->RequestCount(QStringLiteral("/settings.xml")), 11);
    }

    void responseSizeLimit_data() {
        QTest::addColumn<qsizetype>("Size");
        QTest::addColumn<bool>("SendLength");
        QTest::addColumn<bool>("Ok");
        const qsizetype Max = THttpCliThr::MaxResponseBytes;
        QTest::newRow("limit, with length") << Max << true << true;
        QTest::newRow("limit, no length") << Max << false << true;
        QTest::newRow("over, with length") << Max + 1 << true << false;
        QTest::newRow("over, no length") << Max + 1 << false << false;
    }

    void responseSizeLimit() {
        QFETCH(qsizetype, Size);
        QFETCH(bool, SendLength);
        QFETCH(bool, Ok);
        TFakeHttpAnswer Big;
        Big.Body = QByteArray(Size, 'a');
        Big.SendLength = SendLength;
        Big.ContentType = "text/plain";
        Fake->QueueAnswer(QStringLiteral("/fresh.xml"), Big, 1);
        Fake->SetStatus(QStringLiteral("/fresh.xml"), 500); // every later attempt
        Start(2, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(2));
        if (Ok) {
            QCOMPARE(Cli->Count, 1);
            QCOMPARE(Cli->StatusCode, 200);
            QCOMPARE(Cli->Response.size(), Size);
        } else {
            // The oversized attempt left no body; the later 500s did.
            QCOMPARE(Cli->Count, 11);
            QCOMPARE(Cli->StatusCode, 500);
            QVERIFY(Cli->Response.contains(QStringLiteral("(request 11)")));
        }
    }

    void oversizedAttemptIsAnError() {
        TFakeHttpAnswer Big;
        Big.Body = QByteArray(THttpCliThr::MaxResponseBytes + 10, 'a');
        Fake->SetAnswer(QStringLiteral("/fresh.xml"), Big);
        Start(2, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(2));
        QCOMPARE(Cli->Count, 11);
        QCOMPARE(Cli->StatusCode, -1);
        QCOMPARE(Cli->ExcErrStr, QStringLiteral("Response too large"));
        QCOMPARE(Cli->Response, QString());
    }

    void postSendsUtf8Body() {
        Start(1, Url(QStringLiteral("/settings.xml")), QStringLiteral("name=Kůň"));
        QVERIFY(WaitDone(1));
        QCOMPARE(Fake->Requests().first().Method, QStringLiteral("POST"));
        QCOMPARE(Fake->Requests().first().Body, QStringLiteral("name=Kůň").toUtf8());
    }

    void bodyDecodedByDeclaredCharset() {
        TFakeHttpAnswer A;
        A.Body = QByteArray("<x n=\"\xE9\"/>");
        A.ContentType = "text/xml; charset=ISO-8859-1";
        Fake->SetAnswer(QStringLiteral("/fresh.xml"), A);
        Start(2, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(2));
        QCOMPARE(Cli->Response, QStringLiteral("<x n=\"é\"/>"));
    }

    void bodyText_data() {
        QTest::addColumn<QByteArray>("Body");
        QTest::addColumn<QByteArray>("ContentType");
        QTest::addColumn<QString>("Text");
        QTest::newRow("charset") << QByteArray("a\xE9")
                                 << QByteArray("text/xml; charset=ISO-8859-1")
                                 << QStringLiteral("aé");
        QTest::newRow("quoted charset")
            << QByteArray("a\xE9") << QByteArray("text/xml;charset=\"iso-8859-1\"")
            << QStringLiteral("aé");
        QTest::newRow("xml declaration")
            << QByteArray("<?xml version=\"1.0\" encoding='ISO-8859-1'?><a>\xE9</a>")
            << QByteArray("text/xml")
            << QStringLiteral("<?xml version=\"1.0\" encoding='ISO-8859-1'?><a>é</a>");
        QTest::newRow("charset wins over declaration")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\xC3\xA9")
            << QByteArray("text/xml; charset=utf-8")
            << QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>é");
        QTest::newRow("unknown charset, declaration")
            << QByteArray("<?xml encoding=\"ISO-8859-1\"?>\xE9")
            << QByteArray("text/xml; charset=x-no-such")
            << QStringLiteral("<?xml encoding=\"ISO-8859-1\"?>é");
        QTest::newRow("declared code page")
            << QByteArray("<?xml encoding=\"windows-1250\"?>\x8A") << QByteArray("text/xml")
            << QStringLiteral("<?xml encoding=\"windows-1250\"?>Š");
        QTest::newRow("nothing declared: UTF-8")
            << QByteArray("\xC3\xA9") << QByteArray() << QStringLiteral("é");
        QTest::newRow("BOM dropped")
            << QByteArray("\xEF\xBB\xBF<a/>") << QByteArray("text/xml") << QStringLiteral("<a/>");
        QTest::newRow("empty") << QByteArray() << QByteArray("text/xml") << QString();
    }

    void bodyText() {
        QFETCH(QByteArray, Body);
        QFETCH(QByteArray, ContentType);
        QFETCH(QString, Text);
        QCOMPARE(HttpBodyText(Body, ContentType), Text);
    }

    void abandonedRequestNeverReachesDescriptor() {
        Fake->SetDelay(QStringLiteral("/fresh.xml"), 300);
        Start(2, Url(QStringLiteral("/fresh.xml")));
        QTRY_COMPARE_WITH_TIMEOUT(Fake->RequestCount(QStringLiteral("/fresh.xml")), 1, 5000);
        Start(1, Url(QStringLiteral("/settings.xml")));
        QVERIFY(WaitDone(1));
        QTRY_VERIFY_WITH_TIMEOUT(Cli->Idle(), 5000);
        // Give the delayed answer its chance to arrive.
        QTest::qWait(400);
        QCOMPARE(MonitorState.TmFreshDone.load(), NeverTime);
        QCOMPARE(Cli->GetID, 1);
        QCOMPARE(Cli->Response, QString::fromUtf8(TFakeHttpModule::SettingsXml(State)));
        QCOMPARE(Cli->Count, 1);
        // No further attempt began after the abandon.
        QCOMPARE(Fake->RequestCount(QStringLiteral("/fresh.xml")), 1);
    }

    void abandonReportsRunningRequest() {
        QCOMPARE(Cli->Abandon(), 0);
        Fake->SetHang(QStringLiteral("/fresh.xml"));
        Start(3, Url(QStringLiteral("/fresh.xml")));
        QCOMPARE(Cli->Abandon(), 3);
        QCOMPARE(Cli->Abandon(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(Cli->Idle(), 5000);
        QCOMPARE(MonitorState.TmPollDone.load(), NeverTime);
    }

    // A finished but unread answer goes with the descriptor it was in.
    void abandonDisarmsUnreadDone() {
        Start(2, Url(QStringLiteral("/fresh.xml")));
        QVERIFY(WaitDone(2));
        QCOMPARE(Cli->Abandon(), 0);
        QCOMPARE(MonitorState.TmFreshDone.load(), NeverTime);
    }

    void exitWithHangingRequestEndsPromptly() {
        Cli.reset();
        auto App = std::make_unique<TTestApp>();
        Fake->SetHang(QStringLiteral("/fresh.xml"));
        dmHttpCli->GetID = 3;
        dmHttpCli->URL = Url(QStringLiteral("/fresh.xml"));
        QVERIFY(dmHttpCli->Run());
        QTRY_COMPARE_WITH_TIMEOUT(Fake->RequestCount(), 1, 5000);
        QElapsedTimer T;
        T.start();
        App.reset(); // DestroyTopLevelObjects
        QVERIFY2(T.elapsed() < 3000, qPrintable(QString::number(T.elapsed())));
        QCOMPARE(MonitorState.TmPollDone.load(), NeverTime);
        Cli = std::make_unique<TdmHttpCli>();
    }
};

QTEST_MAIN(TestHttpCliThr)
#include "tst_udmHttpCliThr.moc"
