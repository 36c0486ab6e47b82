#include "TestApp.h"
#include "uError.h"
#include "uMainDs.h"

#include <QLabel>
#include <QTest>

#include <memory>

class TstMainDsStatus : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void errorThenInfo_data();
    void errorThenInfo();
    void runOfErrors();
    void visibleOverlayWidensToTheRight();
    void stoppedHides();
    void centredOnMainWindow();
    void overlayLook();

private:
    // Shows the overlay with Text through the tick, as a persisting error does.
    void RaiseOverlay(const QString& Text);
    std::unique_ptr<TTestApp> App;
};

void TstMainDsStatus::init() {
    App = std::make_unique<TTestApp>();
}

void TstMainDsStatus::cleanup() {
    App.reset();
}

void TstMainDsStatus::RaiseOverlay(const QString& Text) {
    fMainDs->SttInfoStr(SttError, Text);
    App->RunFor(5010, 10);
    QVERIFY(fError->isVisible());
}

void TstMainDsStatus::errorThenInfo_data() {
    QTest::addColumn<QString>("info");
    QTest::addColumn<int>("after");
    QTest::newRow("Receive OK at once") << "Receive OK" << 0;
    QTest::newRow("GET OK after 3000 ms") << "GET OK" << 3000;
    QTest::newRow("Receive OK just before the deadline") << "Receive OK" << 5000;
}

void TstMainDsStatus::errorThenInfo() {
    QFETCH(QString, info);
    QFETCH(int, after);
    fMainDs->lblErr->setText(QStringLiteral("old"));
    fMainDs->SttInfoStr(SttError, QStringLiteral("Disconnect"));
    QCOMPARE(fMainDs->lblSttInfo->text(), QStringLiteral("Disconnect"));
    QCOMPARE(MonitorState.TmErrShow, TTestApp::StartTime + 5000);
    App->RunFor(after, 10);
    fMainDs->SttInfoStr(SttInfo, info);
    QCOMPARE(MonitorState.TmErrShow, NeverTime);
    App->RunFor(10000, 50);
    QVERIFY(fError->isHidden());
    QCOMPARE(fMainDs->lblSttInfo->text(), info);
    QVERIFY(fMainDs->lblErr->text().isEmpty());
}

void TstMainDsStatus::runOfErrors() {
    const QStringList Errors{QStringLiteral("Get timeout"), QStringLiteral("Sock Open err"),
                             QStringLiteral("Orv ack tout err")};
    for (const QString& E : Errors) {
        fMainDs->SttInfoStr(SttError, E);
        App->RunFor(2000, 10);
        QVERIFY(fError->isHidden());
    }
    // 5000 ms after the last error; the deadline is due only strictly after it.
    App->RunFor(3000, 10);
    QVERIFY(fError->isHidden());
    App->TickAfter(1);
    QVERIFY(fError->isVisible());
    QCOMPARE(fError->lbl1->text(), Errors.last());
    QCOMPARE(fMainDs->lblSttInfo->text(), Errors.last());
}

void TstMainDsStatus::visibleOverlayWidensToTheRight() {
    RaiseOverlay(QStringLiteral("Disconnect"));
    const QRect Before = fError->frameGeometry();
    QCOMPARE(Before.width(), fError->lbl1->width() + 100);

    fMainDs->SttInfoStr(SttError, QStringLiteral("Sock err : 10061 and more"));
    // A visible overlay is not re-armed, so it is not centred again either.
    QCOMPARE(MonitorState.TmErrShow, NeverTime);
    App->RunFor(6000, 100);
    QVERIFY(fError->isVisible());
    QCOMPARE(fError->lbl1->text(), QStringLiteral("Sock err : 10061 and more"));
    QCOMPARE(fError->lbl1->width(), fError->lbl1->sizeHint().width());
    const QRect After = fError->frameGeometry();
    QVERIFY(After.width() > Before.width());
    QCOMPARE(After.width(), fError->lbl1->width() + 100);
    QCOMPARE(After.left(), Before.left());
    QCOMPARE(After.top(), Before.top());
    QCOMPARE(After.height(), Before.height());
}

void TstMainDsStatus::stoppedHides() {
    RaiseOverlay(QStringLiteral("Disconnect"));
    fMainDs->TrackOffProc();
    QVERIFY(fError->isHidden());
    QCOMPARE(fMainDs->lblSttInfo->text(), QStringLiteral("Stopped"));
    App->RunFor(6000, 100);
    QVERIFY(fError->isHidden());
}

void TstMainDsStatus::centredOnMainWindow() {
    TfMainDs* W = fMainDs;
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W));
    const auto Check = [W] {
        const QRect M = W->frameGeometry();
        const QRect O = fError->frameGeometry();
        QCOMPARE(O.left(), M.left() + M.width() / 2 - O.width() / 2);
        QCOMPARE(O.top(), M.top() + M.height() / 2 - O.height() / 2);
    };
    W->move(300, 200);
    QTRY_COMPARE(W->frameGeometry().topLeft(), QPoint(300, 200));
    RaiseOverlay(QStringLiteral("Disconnect"));
    Check();

    // Moved while hidden: the next showing follows the window.
    W->SttInfoStr(SttInfo, QStringLiteral("Connect"));
    QVERIFY(fError->isHidden());
    W->move(40, 60);
    QTRY_COMPARE(W->frameGeometry().topLeft(), QPoint(40, 60));
    RaiseOverlay(QStringLiteral("Get timeout"));
    Check();
}

void TstMainDsStatus::overlayLook() {
    QCOMPARE(fError->windowTitle(), QStringLiteral("Dorsena - Error"));
    const Qt::WindowFlags F = fError->windowFlags();
    QVERIFY(F.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(F.testFlag(Qt::CustomizeWindowHint));
    for (const Qt::WindowType Button : {Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint,
                                        Qt::WindowMaximizeButtonHint, Qt::WindowSystemMenuHint})
        QVERIFY(!F.testFlag(Button));
    QCOMPARE(fError->lbl1->pos(), QPoint(32, 32));
    QCOMPARE(fError->lbl1->font().pixelSize(), 67);
    QVERIFY(fError->lbl1->font().bold());
    QCOMPARE(fError->lbl1->palette().color(QPalette::WindowText), QColor(Qt::red));
}

QTEST_MAIN(TstMainDsStatus)
#include "tst_uMainDsStatus.moc"
