// The service panel: each button fires one step by hand.
#include "FakeHttpModule.h"
#include "OrvaneLink.h"
#include "TestApp.h"
#include "uDebug.h"
#include "uMainDs.h"
#include "uPanel.h"
#include "udmHttpCliThr.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

class TstPanel : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nameButtonsSendTheCounterAsOneByte_data();
    void nameButtonsSendTheCounterAsOneByte();
    void infoSendsIdentificationWithoutDeadline();
    void settingsXmlWaitsForMonitoring();
    void pauseLeavesTheStopLookAndTheNextPressStartsAfresh();
    void debugTwiceKeepsTheLines();
    void tabOrder();

private:
    std::unique_ptr<TTestApp> App;
};

void TstPanel::init() {
    App = std::make_unique<TTestApp>();
}

void TstPanel::cleanup() {
    App.reset();
}

void TstPanel::nameButtonsSendTheCounterAsOneByte_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("inBefore");
    QTest::addColumn<int>("outBefore");
    QTest::addColumn<int>("inAfter");
    QTest::addColumn<int>("outAfter");
    QTest::addColumn<QByteArray>("frame");

    const auto Hex = [](const char* S) { return QByteArray::fromHex(S); };
    QTest::newRow("InName 1") << "btn1" << 7 << 4 << 1 << 4 << Hex("2A61000631073B01FA0D");
    QTest::newRow("InName Inc") << "btn7" << 2 << 4 << 3 << 4 << Hex("2A61000631073B03F80D");
    QTest::newRow("InName Inc past 255 wraps the byte")
        << "btn7" << 255 << 4 << 256 << 4 << Hex("2A61000631073B00FB0D");
    QTest::newRow("OutName 1") << "btn9" << 7 << 4 << 7 << 1 << Hex("2A61000631083A01FA0D");
    QTest::newRow("OutName Inc leaves the input counter alone")
        << "btn12" << 7 << 4 << 7 << 5 << Hex("2A61000631083A05F60D");
}

void TstPanel::nameButtonsSendTheCounterAsOneByte() {
    QFETCH(QString, button);
    QFETCH(int, inBefore);
    QFETCH(int, outBefore);
    QFETCH(int, inAfter);
    QFETCH(int, outAfter);
    QFETCH(QByteArray, frame);
    TOrvaneLink Link(2, 2);
    QVERIFY(Link.Open());
    MonitorState.InNameNo = inBefore;
    MonitorState.OutNameNo = outBefore;

    auto* Btn = fPanel->findChild<QPushButton*>(button);
    QVERIFY(Btn);
    Btn->click();

    QCOMPARE(MonitorState.InNameNo, inAfter);
    QCOMPARE(MonitorState.OutNameNo, outAfter);
    QVERIFY(Link.WaitFrames(1));
    QCOMPARE(Link.Module.Received().last().toHex(' '), frame.toHex(' '));
}

void TstPanel::infoSendsIdentificationWithoutDeadline() {
    TOrvaneLink Link(0, 0);
    QVERIFY(Link.Open());
    fPanel->btn6->click();
    QVERIFY(Link.WaitFrames(1));
    QCOMPARE(Link.Module.Received().last(), QByteArray::fromHex("2A6100053101F34A0D"));
    QCOMPARE(MonitorState.TmAckTout, NeverTime);
}

void TstPanel::settingsXmlWaitsForMonitoring() {
    TFakeModuleState State;
    TFakeHttpModule Fake(&State);
    QVERIFY(Fake.Listen());
    fMainDs->edtIpAdr->setText(Fake.HostPort());
    fMainDs->lblSttInfo->setText(QStringLiteral("before"));

    // Off: the deadline passes and nothing starts.
    fPanel->btn4->click();
    App->TickAfter(10);
    QCOMPARE(MonitorState.TmSetXmlStart, NeverTime);
    QCOMPARE(MonitorState.TmSetXmlTout, NeverTime);
    QVERIFY(dmHttpCli->URL.isEmpty());
    QCOMPARE(fMainDs->lblSttInfo->text(), QStringLiteral("before"));

    // On: the next tick starts a new settings request.
    MonitorState.Tracking = true;
    fPanel->btn4->click();
    App->TickAfter(10);
    QCOMPARE(MonitorState.TmSetXmlTout, Now() + 5000);
    QCOMPARE(dmHttpCli->URL, QStringLiteral("http://%1/settings.xml").arg(Fake.HostPort()));
    QTRY_VERIFY_WITH_TIMEOUT(Fake.RequestCount(QStringLiteral("/settings.xml")) == 1, 5000);
}

void TstPanel::pauseLeavesTheStopLookAndTheNextPressStartsAfresh() {
    fMainDs->TrackOnProc(Now() + 60000);
    MakeTiles(2, 2);
    App->TickAfter(10);
    QCOMPARE(fMainDs->pnl4->text(), QStringLiteral("|"));

    fPanel->btn2->click();
    QVERIFY(!MonitorState.Tracking);
    App->TickAfter(300);
    QCOMPARE(fMainDs->pnl4->text(), QStringLiteral("x"));
    QCOMPARE(fMainDs->btnTrackSw->text(), QStringLiteral("Stop"));
    QVERIFY(!fMainDs->edtIpAdr->isEnabled());
    QCOMPARE(fMainDs->PnlIn.size(), 2);

    fMainDs->btnTrackSw->click();
    QVERIFY(MonitorState.Tracking);
    QCOMPARE(MonitorState.TmSetXmlStart, Now());
    QVERIFY(fMainDs->PnlIn.isEmpty());
    QVERIFY(fMainDs->PnlOut.isEmpty());
}

void TstPanel::debugTwiceKeepsTheLines() {
    fPanel->btn3->click();
    QVERIFY(MonitorState.DebugOn);
    QVERIFY(fDebug->isVisible());
    fDebug->Add(QStringLiteral("one"));
    fDebug->Add(QStringLiteral("two"));
    const QStringList Before = DebugLines();
    QCOMPARE(Before.size(), 2);

    fPanel->btn3->click();
    QVERIFY(fDebug->isVisible());
    QCOMPARE(DebugLines(), Before);
}

void TstPanel::tabOrder() {
    const QList<QPushButton*> Expected = {fPanel->btn6, fPanel->btn8, fPanel->btn10, fPanel->btn11,
                                          fPanel->btn1, fPanel->btn2, fPanel->btn4,  fPanel->btn5,
                                          fPanel->btn3, fPanel->btn7, fPanel->btn9,  fPanel->btn12};
    QWidget* W = Expected.first();
    for (qsizetype I = 1; I < Expected.size(); ++I) {
        W = W->nextInFocusChain();
        QCOMPARE(W, static_cast<QWidget*>(Expected[I]));
    }
}

QTEST_MAIN(TstPanel)
#include "tst_uPanel.moc"
