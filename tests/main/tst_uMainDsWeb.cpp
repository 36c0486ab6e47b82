// Reading the module's web documents, and starting their requests.
#include "FakeHttpModule.h"
#include "TestApp.h"
#include "uDebug.h"
#include "uMainDs.h"
#include "uWebDoc.h"
#include "udmHttpCliThr.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <memory>

namespace {

// "No:Name=State" per item, '?' for what was not read.
QString Show(const QList<TWebItem>& Items) {
    QStringList L;
    for (const TWebItem& I : Items)
        L.append(QStringLiteral("%1:%2=%3")
                     .arg(I.No)
                     .arg(I.Name.value_or(QStringLiteral("?")))
                     .arg(I.State ? QString::number(*I.State) : QStringLiteral("?")));
    return L.join(QLatin1Char(','));
}

QString Items(const char* Head, int From, int To) {
    QString S = QStringLiteral("<x>");
    for (int N = From; N <= To; ++N)
        S += QStringLiteral("<%1 id=\"%2\" name=\"n%2\" val=\"1\"/>")
                 .arg(QLatin1String(Head))
                 .arg(N);
    return S;
}

QString BoxItems(int Count) {
    QString S = QStringLiteral("<set box=\"10\">");
    for (int N = 1; N <= Count; ++N)
        S += QStringLiteral("<item id=\"%1\" name=\"n%1\"/>").arg(N);
    return S + QStringLiteral("</set>");
}

// "name=state" per tile, '?' for a tile not named.
template <typename TTile> QString Tiles(const QList<TTile>& L) {
    QStringList Out;
    for (const TTile& T : L)
        Out.append(T.lblName
                       ? (T.lblName->text().isEmpty() ? QStringLiteral("?") : T.lblName->text()) +
                             QLatin1Char('=') + T.lblStt->text()
                       : QStringLiteral("<none>"));
    return Out.join(QLatin1Char(','));
}

void SetAnswer(int Status, const QString& Body, const QString& Err = QString()) {
    dmHttpCli->StatusCode = Status;
    dmHttpCli->Response = Body;
    dmHttpCli->ExcErrStr = Err;
}

} // namespace

class TestMainDsWeb : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestApp> App;

private slots:
    void init() { App = std::make_unique<TTestApp>(); }
    void cleanup() { App.reset(); }

    // ---- document scans ----------------------------------------------------

    void attributeValue_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<int>("From");
        QTest::addColumn<QString>("Value"); // "<none>" when absent
        QTest::newRow("plain") << QStringLiteral("<a mode=\"3\"/>") << 1 << QStringLiteral("3");
        QTest::newRow("empty") << QStringLiteral("<a mode=\"\"/>") << 1 << QString();
        QTest::newRow("no closing quote")
            << QStringLiteral("<a mode=\"3/>") << 1 << QStringLiteral("<none>");
        QTest::newRow("marker absent")
            << QStringLiteral("<a lport=\"3\"/>") << 1 << QStringLiteral("<none>");
        QTest::newRow("case matters")
            << QStringLiteral("<a MODE=\"3\"/>") << 1 << QStringLiteral("<none>");
        QTest::newRow("search starts at From")
            << QStringLiteral("mode=\"1\" mode=\"2\"") << 2 << QStringLiteral("2");
        QTest::newRow("marker at From itself")
            << QStringLiteral("mode=\"1\"") << 1 << QStringLiteral("1");
        QTest::newRow("at the very end")
            << QStringLiteral("mode=\"") << 1 << QStringLiteral("<none>");
    }

    void attributeValue() {
        QFETCH(QString, Body);
        QFETCH(int, From);
        QFETCH(QString, Value);
        const auto V = WebAttr(Body, QStringLiteral("mode=\""), From);
        QCOMPARE(V.value_or(QStringLiteral("<none>")), Value);
    }

    void number_data() {
        QTest::addColumn<QString>("Text");
        QTest::addColumn<int>("Value");
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("10001") << QStringLiteral("10001") << 10001;
        QTest::newRow("negative") << QStringLiteral("-5") << -5;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("word") << QStringLiteral("web") << -1;
        QTest::newRow("trailing text") << QStringLiteral("3x") << -1;
        QTest::newRow("blank") << QStringLiteral(" 3") << -1;
        QTest::newRow("hex") << QStringLiteral("0x10") << -1;
        QTest::newRow("too big") << QStringLiteral("99999999999") << -1;
    }

    void number() {
        QFETCH(QString, Text);
        QFETCH(int, Value);
        QCOMPARE(WebNum(Text), Value);
    }

    void boxNames_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<QStringList>("Names");
        QTest::addColumn<bool>("Cut");
        const QString B = QStringLiteral("<set box=\"10\">");
        QTest::newRow("items 1 2 3") << B + "<item id=\"1\" name=\"A\"/><item id=\"2\" "
                                            "name=\"B\"/><item id=\"3\" name=\"C\"/></set>"
                                     << QStringList{"A", "B", "C"} << false;
        QTest::newRow("items 1 2 4") << B + "<item id=\"1\" name=\"A\"/><item id=\"2\" "
                                            "name=\"B\"/><item id=\"4\" name=\"D\"/></set>"
                                     << QStringList{"A", "B"} << false;
        QTest::newRow("item without name takes the next one")
            << B + "<item id=\"1\" name=\"A\"/><item id=\"2\"/><item id=\"3\" name=\"C\"/></set>"
            << QStringList{"A", "C", "C"} << false;
        QTest::newRow("no </set>") << B + "<item id=\"1\" name=\"A\"/><item id=\"2\" name=\"B\"/>"
                                   << QStringList{} << false;
        QTest::newRow("name beyond the box end")
            << B + "<item id=\"1\" name=\"A\"/><item id=\"2\"/></set><set box=\"11\"><item "
                   "id=\"1\" name=\"X\"/></set>"
            << QStringList{"A"} << false;
        QTest::newRow("item 1 is not item 10")
            << B + "<item id=\"10\" name=\"T\"/><item id=\"1\" name=\"A\"/></set>"
            << QStringList{"A"} << false;
        QTest::newRow("items out of order")
            << B + "<item id=\"2\" name=\"B\"/><item id=\"1\" name=\"A\"/></set>"
            << QStringList{"A"} << false;
        QTest::newRow("name without closing quote")
            << B + "<item id=\"1\" name=\"A/></set>" << QStringList{} << false;
        QTest::newRow("empty name")
            << B + "<item id=\"1\" name=\"\"/></set>" << QStringList{""} << false;
        QTest::newRow("box absent")
            << QStringLiteral("<set box=\"11\"><item id=\"1\" name=\"A\"/></set>") << QStringList{}
            << false;
        QStringList Many;
        for (int N = 1; N <= WebMaxItems; ++N)
            Many.append(QStringLiteral("n%1").arg(N));
        QTest::newRow("256 items") << BoxItems(256) << Many << false;
        QTest::newRow("300 items are cut") << BoxItems(300) << Many << true;
    }

    void boxNames() {
        QFETCH(QString, Body);
        QFETCH(QStringList, Names);
        QFETCH(bool, Cut);
        bool WasCut = !Cut;
        QCOMPARE(WebBoxNames(Body, QStringLiteral("<set box=\"10\">"), &WasCut), Names);
        QCOMPARE(WasCut, Cut);
    }

    void freshItems_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<QString>("Inputs");
        QTest::addColumn<QString>("Outputs");
        QTest::newRow("ids 1 2 3 5")
            << QStringLiteral(
                   "<x><din id=\"1\" name=\"A\" val=\"1\"/><din id=\"2\" name=\"B\" val=\"0\"/>"
                   "<din id=\"3\" name=\"C\" val=\"1\"/><din id=\"5\" name=\"E\" val=\"1\"/>")
            << QStringLiteral("1:A=1,2:B=0,3:C=1") << QString();
        QTest::newRow("first item at the very first character")
            << QStringLiteral(
                   "<din id=\"1\" name=\"A\" val=\"1\"/><din id=\"2\" name=\"B\" val=\"1\"/>")
            << QString() << QString();
        QTest::newRow("val missing ends the inputs, outputs still read")
            << QStringLiteral("<x><din id=\"1\" name=\"A\"/><din id=\"2\" name=\"B\"/>"
                              "<dout id=\"1\" name=\"O\"/>")
            << QStringLiteral("1:A=?") << QStringLiteral("1:O=?");
        QTest::newRow("item without val takes the next val")
            << QStringLiteral("<x><din id=\"1\" name=\"A\"/><din id=\"2\" name=\"B\" val=\"1\"/>")
            << QStringLiteral("1:A=1,2:B=1") << QString();
        QTest::newRow("values that are not numbers")
            << QStringLiteral(
                   "<x><din id=\"1\" name=\"A\" val=\"\"/><din id=\"2\" name=\"B\" val=\"on\"/>")
            << QStringLiteral("1:A=-1,2:B=-1") << QString();
        QTest::newRow("outputs listed before inputs")
            << QStringLiteral(
                   "<x><dout id=\"1\" name=\"O1\" val=\"1\"/><dout id=\"2\" name=\"O2\" val=\"0\"/>"
                   "<din id=\"1\" name=\"I1\" val=\"0\"/>")
            << QStringLiteral("1:I1=0") << QStringLiteral("1:O1=1,2:O2=0");
        QTest::newRow("item 1 is not item 10")
            << QStringLiteral(
                   "<x><din id=\"10\" name=\"T\" val=\"1\"/><din id=\"1\" name=\"A\" val=\"0\"/>")
            << QStringLiteral("1:A=0") << QString();
        QTest::newRow("val without closing quote")
            << QStringLiteral("<x><din id=\"1\" name=\"A\" val=\"1") << QStringLiteral("1:A=?")
            << QString();
        QTest::newRow("name without closing quote")
            << QStringLiteral("<x><din id=\"1\" name=\"A") << QStringLiteral("1:?=?") << QString();
        QTest::newRow("no name at all") << QStringLiteral("<x><din id=\"1\" val=\"1\"/>")
                                        << QStringLiteral("1:?=?") << QString();
        QTest::newRow("empty body") << QString() << QString() << QString();
    }

    void freshItems() {
        QFETCH(QString, Body);
        QFETCH(QString, Inputs);
        QFETCH(QString, Outputs);
        QCOMPARE(Show(WebFreshItems(Body, QStringLiteral("<din id=\""))), Inputs);
        QCOMPARE(Show(WebFreshItems(Body, QStringLiteral("<dout id=\""))), Outputs);
    }

    void freshItemsAreCut() {
        bool Cut = false;
        const auto All = WebFreshItems(Items("din", 1, 300), QStringLiteral("<din id=\""), &Cut);
        QCOMPARE(All.size(), WebMaxItems);
        QCOMPARE(All.last().No, WebMaxItems);
        QVERIFY(Cut);
        WebFreshItems(Items("din", 1, 256), QStringLiteral("<din id=\""), &Cut);
        QVERIFY(!Cut);
    }

    void infoCounts_data() {
        QTest::addColumn<QString>("Info");
        QTest::addColumn<int>("In");
        QTest::addColumn<int>("Out");
        QTest::newRow("blank, token, semicolon") << QStringLiteral(" 8/8;") << 8 << 8;
        QTest::newRow("usual text") << QStringLiteral("Tarvo IO 16/4; fw 1.2") << 16 << 4;
        QTest::newRow("first semicolon counts") << QStringLiteral("a 1/2; b 3/4;") << 1 << 2;
        QTest::newRow("no semicolon") << QStringLiteral("Tarvo 8/8") << -1 << -1;
        QTest::newRow("empty") << QString() << -1 << -1;
        QTest::newRow("no blank before the semicolon") << QStringLiteral("12;") << -1 << 12;
        QTest::newRow("no blank, with slash") << QStringLiteral("8/8;") << -1 << -1;
        QTest::newRow("slash only after the semicolon")
            << QStringLiteral("Tarvo 8; 1/2") << -1 << -1;
        QTest::newRow("no inputs") << QStringLiteral("Tarvo /8;") << -1 << 8;
        QTest::newRow("no outputs") << QStringLiteral("Tarvo 4/;") << 4 << -1;
        QTest::newRow("zero") << QStringLiteral("Tarvo 0/2;") << 0 << 2;
        QTest::newRow("not numbers") << QStringLiteral("Tarvo a/b;") << -1 << -1;
    }

    void infoCounts() {
        QFETCH(QString, Info);
        QFETCH(int, In);
        QFETCH(int, Out);
        fMainDs->SetDevInAndOutMax(Info);
        QCOMPARE(MonitorState.DevInMax, In);
        QCOMPARE(MonitorState.DevOutMax, Out);
    }

    // ---- readers -----------------------------------------------------------

    void resultCheck_data() {
        QTest::addColumn<int>("Reader"); // 1 settings, 2 live state, 3 output command
        QTest::addColumn<int>("Status");
        QTest::addColumn<QString>("Err");
        QTest::addColumn<bool>("Ok");
        QTest::addColumn<QString>("Line");
        for (int R = 1; R <= 3; ++R) {
            const QByteArray N = QByteArray::number(R);
            QTest::newRow(N + " 200") << R << 200 << QString() << true << QStringLiteral("GET OK");
            QTest::newRow(N + " 404")
                << R << 404 << QString() << false << QStringLiteral("Status code : 404");
            QTest::newRow(N + " no answer") << R << -1 << QStringLiteral("Timeout was reached")
                                            << false << QStringLiteral("Status code : -1");
            QTest::newRow(N + " 200 with error") << R << 200 << QStringLiteral("Response too large")
                                                 << false << QStringLiteral("Status code : 200");
        }
    }

    void resultCheck() {
        QFETCH(int, Reader);
        QFETCH(int, Status);
        QFETCH(QString, Err);
        QFETCH(bool, Ok);
        QFETCH(QString, Line);
        SetAnswer(Status, QStringLiteral("<set box=\"1\" mode=\"3\"/>"), Err);
        const bool Result = Reader == 1   ? fMainDs->GetSettingsXmlEnd()
                            : Reader == 2 ? fMainDs->GetFreshXmlEnd()
                                          : fMainDs->GetSetXmlOutEnd();
        QCOMPARE(Result, Ok);
        QCOMPARE(MonitorState.HttpStatus, Status);
        QCOMPARE(fMainDs->lblSttInfo->text(), Line);
        // Only the settings reader looks at the mode, and only after success.
        QCOMPARE(MonitorState.DevMode, Reader == 1 && Ok ? 3 : -1);
    }

    void resultCheckLog_data() {
        QTest::addColumn<int>("Reader");
        QTest::addColumn<int>("Status");
        QTest::addColumn<QString>("Err");
        QTest::addColumn<QStringList>("Lines");
        const QString R = QStringLiteral("Response : body");
        QTest::newRow("settings ok") << 1 << 200 << QString() << QStringList{"GET:|OK|", R};
        QTest::newRow("live state ok") << 2 << 200 << QString() << QStringList{"Get:|OK|", R};
        QTest::newRow("command ok") << 3 << 200 << QString() << QStringList{"Get:|OK|"};
        QTest::newRow("settings 404")
            << 1 << 404 << QString() << QStringList{"GetSettingsXml Status code : 404", R};
        QTest::newRow("live state, no answer")
            << 2 << -1 << QStringLiteral("Timeout was reached")
            << QStringList{"GetFreshXml Except : Timeout was reached"};
        QTest::newRow("command, code and error")
            << 3 << 200 << QStringLiteral("Response too large")
            << QStringList{"GetSetXmlOut Status code : 200", R,
                           "GetSetXmlOut Except : Response too large"};
    }

    void resultCheckLog() {
        QFETCH(int, Reader);
        QFETCH(int, Status);
        QFETCH(QString, Err);
        QFETCH(QStringList, Lines);
        MonitorState.DebugOn = true;
        SetAnswer(Status, QStringLiteral("body"), Err);
        Reader == 1   ? fMainDs->GetSettingsXmlEnd()
        : Reader == 2 ? fMainDs->GetFreshXmlEnd()
                      : fMainDs->GetSetXmlOutEnd();
        QStringList Logged;
        for (int I = 0; I < fDebug->lst1->count(); ++I) {
            const QString L = fDebug->lst1->item(I)->text();
            Logged.append(L.mid(L.indexOf(QLatin1Char(' ')) + 1)); // without the time stamp
        }
        QCOMPARE(Logged, Lines);
    }

    void startLogsUrl() {
        MonitorState.DebugOn = true;
        fMainDs->edtIpAdr->setText(QStringLiteral("127.0.0.1:1"));
        QVERIFY(fMainDs->GetFreshXmlStart(2));
        QCOMPARE(fDebug->lst1->count(), 1);
        QVERIFY(fDebug->lst1->item(0)->text().endsWith(
            QStringLiteral(" URL:|http://127.0.0.1:1/fresh.xml|")));
    }

    void settingsReader_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<int>("Mode");
        QTest::addColumn<QString>("ModeText");
        QTest::addColumn<int>("Port");
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QString>("Info");
        QTest::addColumn<int>("In");
        QTest::addColumn<int>("Out");
        QTest::addColumn<QString>("Device");
        const QString Dash = QStringLiteral("---");
        QTest::newRow("complete")
            << QStringLiteral("<settings><set box=\"1\" mode=\"3\" lport=\"10005\"/>"
                              "<set box=\"8\" name=\"Hall\"/>"
                              "<set box=\"12\" info=\"Tarvo IO 8/4; fw\" sn=\"77\"/></settings>")
            << 3 << "WEB" << 10005 << "Hall"
            << "Tarvo IO 8/4; fw" << 8 << 4 << "Device: Tarvo IO 8/4; fw   S/N: 77";
        QTest::newRow("mode 3 without lport") << QStringLiteral("<set box=\"1\" mode=\"3\"/>") << 3
                                              << "WEB" << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("box 1 without mode")
            << QStringLiteral("<set box=\"1\" lport=\"9000\"/>") << -1 << Dash << 10001 << Dash
            << "" << -1 << -1 << Dash;
        QTest::newRow("mode not a number")
            << QStringLiteral("<set box=\"1\" mode=\"web\" lport=\"9000\"/>") << -1 << "???" << 9000
            << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("mode 0") << QStringLiteral("<set box=\"1\" mode=\"0\"/>") << 0
                                << "TCP server" << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("mode 1") << QStringLiteral("<set box=\"1\" mode=\"1\"/>") << 1
                                << "TCP client" << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("mode 2") << QStringLiteral("<set box=\"1\" mode=\"2\"/>") << 2 << "UDP"
                                << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("mode 7") << QStringLiteral("<set box=\"1\" mode=\"7\"/>") << 7 << "???"
                                << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("port out of range")
            << QStringLiteral("<set box=\"1\" mode=\"0\" lport=\"70000\"/>") << 0 << "TCP server"
            << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("box 1 marker does not match box 12")
            << QStringLiteral("<set box=\"12\" mode=\"3\" info=\"x 2/2;\"/>") << -1 << Dash << 10001
            << Dash << "x 2/2;" << 2 << 2 << Dash;
        QTest::newRow("box 8 without name takes the next name")
            << QStringLiteral(
                   "<set box=\"8\"/><set box=\"10\"><item id=\"1\" name=\"In 1\"/></set>")
            << -1 << Dash << 10001 << "In 1"
            << "" << -1 << -1 << Dash;
        QTest::newRow("box 12 without sn")
            << QStringLiteral("<set box=\"12\" info=\"T 4/2;\"/>") << -1 << Dash << 10001 << Dash
            << "T 4/2;" << 4 << 2 << Dash;
        QTest::newRow("sn without info") << QStringLiteral("<set box=\"12\" sn=\"5\"/>") << -1
                                         << Dash << 10001 << Dash << "" << -1 << -1 << Dash;
        QTest::newRow("empty body")
            << QString() << -1 << Dash << 10001 << Dash << "" << -1 << -1 << Dash;
    }

    void settingsReader() {
        QFETCH(QString, Body);
        QFETCH(int, Mode);
        QFETCH(QString, ModeText);
        QFETCH(int, Port);
        QFETCH(QString, Name);
        QFETCH(QString, Info);
        QFETCH(int, In);
        QFETCH(int, Out);
        QFETCH(QString, Device);
        SetAnswer(200, Body);
        QVERIFY(fMainDs->GetSettingsXmlEnd());
        QCOMPARE(MonitorState.DevMode, Mode);
        QCOMPARE(fMainDs->lbl5->text(), ModeText);
        QCOMPARE(MonitorState.OrvPort, Port);
        QCOMPARE(fMainDs->lbl4->text(), Name);
        QCOMPARE(MonitorState.DevInfo, Info);
        QCOMPARE(MonitorState.DevInMax, In);
        QCOMPARE(MonitorState.DevOutMax, Out);
        QCOMPARE(fMainDs->lblInfo->text(), Device);
    }

    void settingsTiles_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<QString>("In");
        QTest::addColumn<QString>("Out");
        const QString Boxes = QStringLiteral(
            "<set box=\"10\"><item id=\"1\" name=\"Door\"/><item id=\"2\" name=\"Smoke\"/></set>"
            "<set box=\"11\"><item id=\"1\" name=\"Light\"/></set>");
        QTest::newRow("WEB: named from boxes 10 and 11")
            << QStringLiteral("<set box=\"1\" mode=\"3\"/>") + Boxes
            << QStringLiteral("Door=,Smoke=") << QStringLiteral("Light=");
        QTest::newRow("WEB: items 1 2 4")
            << QStringLiteral(
                   "<set box=\"1\" mode=\"3\"/><set box=\"10\"><item id=\"1\" name=\"A\"/>"
                   "<item id=\"2\" name=\"B\"/><item id=\"4\" name=\"D\"/></set>")
            << QStringLiteral("A=,B=") << QString();
        QTest::newRow("WEB: box 10 without </set>")
            << QStringLiteral(
                   "<set box=\"1\" mode=\"3\"/><set box=\"10\"><item id=\"1\" name=\"A\"/>")
            << QString() << QString();
        QTest::newRow("WEB: item without name")
            << QStringLiteral("<set box=\"1\" mode=\"3\"/><set box=\"11\"><item id=\"1\"/>"
                              "<item id=\"2\" name=\"Fan\"/></set>")
            << QString() << QStringLiteral("Fan=,Fan=");
        QTest::newRow("TCP client: boxes ignored")
            << QStringLiteral("<set box=\"1\" mode=\"1\"/>") + Boxes << QString() << QString();
        QTest::newRow("TCP server: unnamed tiles from the counts")
            << QStringLiteral("<set box=\"1\" mode=\"0\"/><set box=\"12\" info=\"T 3/2;\"/>") +
                   Boxes
            << QStringLiteral("?=,?=,?=") << QStringLiteral("?=,?=");
        QTest::newRow("TCP server: no counts")
            << QStringLiteral("<set box=\"1\" mode=\"0\"/>") << QString() << QString();
        QTest::newRow("TCP server: zero outputs")
            << QStringLiteral("<set box=\"1\" mode=\"0\"/><set box=\"12\" info=\"T 1/0;\"/>")
            << QStringLiteral("?=") << QString();
    }

    void settingsTiles() {
        QFETCH(QString, Body);
        QFETCH(QString, In);
        QFETCH(QString, Out);
        SetAnswer(200, Body);
        QVERIFY(fMainDs->GetSettingsXmlEnd());
        QCOMPARE(Tiles(fMainDs->PnlIn), In);
        QCOMPARE(Tiles(fMainDs->PnlOut), Out);
    }

    void absurdCountsAreCut_data() {
        QTest::addColumn<QString>("Body");
        QTest::newRow("TCP server counts") << QStringLiteral(
            "<set box=\"1\" mode=\"0\"/><set box=\"12\" info=\"T 100000/300;\"/>");
        QString Many = QStringLiteral("<set box=\"1\" mode=\"3\"/><set box=\"10\">");
        for (int N = 1; N <= 300; ++N)
            Many += QStringLiteral("<item id=\"%1\" name=\"n\"/>").arg(N);
        Many += QStringLiteral("</set><set box=\"11\">");
        for (int N = 1; N <= 300; ++N)
            Many += QStringLiteral("<item id=\"%1\" name=\"n\"/>").arg(N);
        QTest::newRow("WEB items") << Many + QStringLiteral("</set>");
    }

    void absurdCountsAreCut() {
        QFETCH(QString, Body);
        SetAnswer(200, Body);
        QVERIFY(fMainDs->GetSettingsXmlEnd());
        QCOMPARE(fMainDs->PnlIn.size(), WebMaxItems);
        QCOMPARE(fMainDs->PnlOut.size(), WebMaxItems);
    }

    void freshTiles_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<QString>("In");
        QTest::addColumn<QString>("Out");
        QTest::newRow("ids 1 2 3 5")
            << QStringLiteral(
                   "<x><din id=\"1\" name=\"A\" val=\"1\"/><din id=\"2\" name=\"B\" val=\"0\"/>"
                   "<din id=\"3\" name=\"C\" val=\"1\"/><din id=\"5\" name=\"E\" val=\"1\"/>")
            << QStringLiteral("A=1,B=0,C=1") << QString();
        QTest::newRow("first item at the very first character")
            << QStringLiteral("<din id=\"1\" name=\"A\" val=\"1\"/>") << QString() << QString();
        QTest::newRow("no val after an input: named, state unchanged, outputs still read")
            << QStringLiteral("<x><dout id=\"1\" name=\"O\" val=\"1\"/><din id=\"1\" name=\"A\"/>"
                              "<din id=\"2\" name=\"B\"/>")
            << QStringLiteral("A=") << QStringLiteral("O=1");
        QTest::newRow("val searched past the element")
            << QStringLiteral("<x><din id=\"1\" name=\"A\"/><dout id=\"1\" name=\"O\" val=\"1\"/>")
            << QStringLiteral("A=1") << QStringLiteral("O=1");
        QTest::newRow("outputs before inputs")
            << QStringLiteral(
                   "<x><dout id=\"1\" name=\"O1\" val=\"0\"/><dout id=\"2\" name=\"O2\" val=\"1\"/>"
                   "<din id=\"1\" name=\"I1\" val=\"x\"/>")
            << QStringLiteral("I1=-1") << QStringLiteral("O1=0,O2=1");
    }

    void freshTiles() {
        QFETCH(QString, Body);
        QFETCH(QString, In);
        QFETCH(QString, Out);
        SetAnswer(200, Body);
        QVERIFY(fMainDs->GetFreshXmlEnd());
        QCOMPARE(Tiles(fMainDs->PnlIn), In);
        QCOMPARE(Tiles(fMainDs->PnlOut), Out);
    }

    // Tiles are added up to the highest item read and only updated after.
    void freshUpdatesExistingTiles() {
        SetAnswer(
            200,
            QStringLiteral(
                "<x><din id=\"1\" name=\"A\" val=\"1\"/><din id=\"2\" name=\"B\" val=\"1\"/>"));
        QVERIFY(fMainDs->GetFreshXmlEnd());
        QFrame* First = fMainDs->PnlIn[0].pnlMain;
        SetAnswer(200, QStringLiteral("<x><din id=\"1\" name=\"A2\" val=\"0\"/>"));
        QVERIFY(fMainDs->GetFreshXmlEnd());
        QCOMPARE(Tiles(fMainDs->PnlIn), QStringLiteral("A2=0,B=1"));
        QCOMPARE(fMainDs->PnlIn[0].pnlMain, First);
        // A failed read leaves the tiles alone.
        SetAnswer(404, QStringLiteral("<x><din id=\"1\" name=\"Z\" val=\"1\"/>"));
        QVERIFY(!fMainDs->GetFreshXmlEnd());
        QCOMPARE(Tiles(fMainDs->PnlIn), QStringLiteral("A2=0,B=1"));
    }

    // Counts and labels of an earlier document stay until a later one has its own.
    void settingsKeepEarlierValues() {
        SetAnswer(200, QStringLiteral(
                           "<set box=\"1\" mode=\"0\" lport=\"9001\"/><set box=\"8\" name=\"A\"/>"
                           "<set box=\"12\" info=\"T 3/5;\" sn=\"1\"/>"));
        QVERIFY(fMainDs->GetSettingsXmlEnd());
        MonitorState.DevMode = -1;
        SetAnswer(200, QStringLiteral("<set box=\"1\" mode=\"3\"/>"));
        QVERIFY(fMainDs->GetSettingsXmlEnd());
        QCOMPARE(MonitorState.OrvPort, 9001);
        QCOMPARE(MonitorState.DevInMax, 3);
        QCOMPARE(MonitorState.DevOutMax, 5);
        QCOMPARE(fMainDs->lbl4->text(), QStringLiteral("A"));
        QCOMPARE(fMainDs->lblInfo->text(), QStringLiteral("Device: T 3/5;   S/N: 1"));
    }

    void freshReaderStatusLocation_data() {
        QTest::addColumn<QString>("Body");
        QTest::addColumn<QString>("Name");
        QTest::newRow("location") << QStringLiteral("<x><status location=\"Hall B\" sn=\"1\"/>")
                                  << QStringLiteral("Hall B");
        QTest::newRow("no status marker")
            << QStringLiteral("<x><statusX location=\"Hall B\"/>") << QStringLiteral("Before");
        QTest::newRow("status without location")
            << QStringLiteral("<x><status sn=\"1\"/>") << QStringLiteral("Before");
    }

    void freshReaderStatusLocation() {
        QFETCH(QString, Body);
        QFETCH(QString, Name);
        fMainDs->lbl4->setText(QStringLiteral("Before"));
        SetAnswer(200, Body);
        QVERIFY(fMainDs->GetFreshXmlEnd());
        QCOMPARE(fMainDs->lbl4->text(), Name);
    }

    // ---- start operations --------------------------------------------------

    void startOperations_data() {
        QTest::addColumn<int>("Op"); // 1 settings, 2 live state, 3 output command
        QTest::addColumn<int>("ID");
        QTest::addColumn<QChar>("Cmd");
        QTest::addColumn<int>("No");
        QTest::addColumn<QString>("Tail");
        QTest::newRow("settings") << 1 << 1 << QChar(0) << -1 << QStringLiteral("/settings.xml");
        QTest::newRow("first read") << 2 << 2 << QChar(0) << -1 << QStringLiteral("/fresh.xml");
        QTest::newRow("periodic read") << 2 << 3 << QChar(0) << -1 << QStringLiteral("/fresh.xml");
        QTest::newRow("output 3 on")
            << 3 << 3 << QChar(u's') << 3 << QStringLiteral("/set.xml?type=s&id=3");
        QTest::newRow("output 12 off")
            << 3 << 3 << QChar(u'r') << 12 << QStringLiteral("/set.xml?type=r&id=12");
    }

    void startOperations() {
        QFETCH(int, Op);
        QFETCH(int, ID);
        QFETCH(QChar, Cmd);
        QFETCH(int, No);
        QFETCH(QString, Tail);
        TFakeModuleState State;
        TFakeHttpModule Fake(&State);
        QVERIFY(Fake.Listen());
        fMainDs->edtIpAdr->setText(Fake.HostPort());
        MonitorState.DevMode = 3;
        MonitorState.HttpStatus = 200;
        MonitorState.WebOutCmd = Cmd;
        MonitorState.WebOutNo = No;
        dmHttpCli->Response = QStringLiteral("old");
        const bool Started = Op == 1   ? fMainDs->GetSettingsXmlStart()
                             : Op == 2 ? fMainDs->GetFreshXmlStart(ID)
                                       : fMainDs->GetSetXmlOutStart(ID);
        QVERIFY(Started);
        QCOMPARE(dmHttpCli->URL, QStringLiteral("http://") + Fake.HostPort() + Tail);
        QCOMPARE(dmHttpCli->GetID, ID);
        QCOMPARE(dmHttpCli->StatusCode, -1);
        QCOMPARE(dmHttpCli->Response, QString());
        QCOMPARE(dmHttpCli->Start, TTestApp::StartTime);
        QCOMPARE(MonitorState.HttpStatus, -1);
        QCOMPARE(MonitorState.DevMode, Op == 1 ? -1 : 3);
        // The command is consumed when its request starts, whatever comes of it.
        QCOMPARE(MonitorState.WebOutCmd, QChar(0));
        QCOMPARE(MonitorState.WebOutNo, -1);
        QTRY_COMPARE_WITH_TIMEOUT(Fake.Targets(), QStringList{Tail}, 5000);
    }

    // The address field is used as typed.
    void addressAsTyped() {
        fMainDs->edtIpAdr->setText(QStringLiteral(" 127.0.0.1:1 "));
        QVERIFY(fMainDs->GetFreshXmlStart(2));
        QCOMPARE(dmHttpCli->URL, QStringLiteral("http:// 127.0.0.1:1 /fresh.xml"));
    }

    // A new start drops the running request, and with it its time-out.
    void startAbandonsRunningRequest() {
        TFakeModuleState State;
        TFakeHttpModule Fake(&State);
        QVERIFY(Fake.Listen());
        Fake.SetHang(QStringLiteral("/fresh.xml"));
        fMainDs->edtIpAdr->setText(Fake.HostPort());
        QVERIFY(fMainDs->GetFreshXmlStart(2));
        MonitorState.TmFreshTout = Now() + 5000;
        QVERIFY(fMainDs->GetSettingsXmlStart());
        QCOMPARE(MonitorState.TmFreshTout, NeverTime);
        QTRY_VERIFY_WITH_TIMEOUT(MonitorState.TmSetXmlDone.load() != NeverTime, 5000);
        QCOMPARE(dmHttpCli->StatusCode, 200);
        QCOMPARE(MonitorState.TmFreshDone.load(), NeverTime);
    }
};

QTEST_MAIN(TestMainDsWeb)
#include "tst_uMainDsWeb.moc"
