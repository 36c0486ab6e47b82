#include "TestApp.h"
#include "uMainDs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

namespace {

constexpr TDeadline T0 = TTestApp::StartTime;

// The colour the tile area really paints, away from its labels and templates.
QColor TileAreaColour() {
    const QImage Img = fMainDs->scrlbx1->grab().toImage();
    return Img.pixelColor(Img.width() - 30, Img.height() - 30);
}

void VerifyLook(bool Monitoring) {
    QCOMPARE(fMainDs->btnTrackSw->text(),
             Monitoring ? QStringLiteral("Stop") : QStringLiteral("Start"));
    QCOMPARE(fMainDs->edtIpAdr->isEnabled(), !Monitoring);
    const QPalette::ColorRole Role = Monitoring ? QPalette::Dark : QPalette::Button;
    QCOMPARE(fMainDs->scrlbx1->backgroundRole(), Role);
    QCOMPARE(TileAreaColour().rgb(), fMainDs->scrlbx1->palette().color(Role).rgb());
    QCOMPARE(fMainDs->lblInputs->foregroundRole(), QPalette::WindowText);
}

// Output buttons as the tiles carry them: only the tag matters here.
struct TButtons {
    QList<QPushButton*> List;
    TButtons() {
        for (int Tag : {-1, 0, 1, 2, 3, 4}) {
            auto* B = new QPushButton(fMainDs);
            B->setProperty("Tag", Tag);
            List << B;
        }
    }
    QPushButton* Tag(int N) const {
        for (QPushButton* B : List) {
            if (B->property("Tag").toInt() == N)
                return B;
        }
        return nullptr;
    }
};

} // namespace

class TstMainDsTrack : public QObject {
    Q_OBJECT

private slots:
    void looksOfTheWindow();
    void startArmsAndClears();
    void startKeepsTheRest();
    void stopByMode_data();
    void stopByMode();
    void enterInAddressField();
    void enterHandlerBothLooks();
    void pauseThenPress();
    void outputPress_data();
    void outputPress();
    void webLastPressWins();
};

void TstMainDsTrack::looksOfTheWindow() {
    TTestApp App;
    fMainDs->show();
    // Before the first Start: the layout's button-shadow colour, yet "Start".
    QCOMPARE(fMainDs->btnTrackSw->text(), QStringLiteral("Start"));
    QVERIFY(fMainDs->edtIpAdr->isEnabled());
    QCOMPARE(fMainDs->scrlbx1->backgroundRole(), QPalette::Dark);
    QVERIFY(fMainDs->scrlbx1->palette().color(QPalette::Dark) !=
            fMainDs->scrlbx1->palette().color(QPalette::Button));

    QTest::mouseClick(fMainDs->btnTrackSw, Qt::LeftButton);
    QVERIFY(MonitorState.Tracking);
    VerifyLook(true);

    QTest::mouseClick(fMainDs->btnTrackSw, Qt::LeftButton);
    QVERIFY(!MonitorState.Tracking);
    VerifyLook(false);
    QCOMPARE(fMainDs->lblSttInfo->text(), QStringLiteral("Stopped"));

    QTest::mouseClick(fMainDs->btnTrackSw, Qt::LeftButton);
    VerifyLook(true);
}

void TstMainDsTrack::startArmsAndClears() {
    TTestApp App;
    fMainDs->PnlIn = QList<TPnlIn>(3);
    fMainDs->PnlOut = QList<TPnlOut>(2);
    ClockSetNow(T0 + 250);
    fMainDs->btnTrackSwClick();
    QVERIFY(MonitorState.Tracking);
    QCOMPARE(MonitorState.TmBusyStep, T0 + 250);
    QCOMPARE(MonitorState.TmSetXmlStart, T0 + 250);
    QVERIFY(fMainDs->PnlIn.isEmpty());
    QVERIFY(fMainDs->PnlOut.isEmpty());

    // TrackOnProc takes the settings start time from its caller.
    fMainDs->TrackOffProc();
    fMainDs->TrackOnProc(T0 + 1250);
    QCOMPARE(MonitorState.TmSetXmlStart, T0 + 1250);
    QCOMPARE(MonitorState.TmBusyStep, T0 + 250);
}

void TstMainDsTrack::startKeepsTheRest() {
    TTestApp App;
    auto& M = MonitorState;
    M.DevMode = 0;
    M.OutSet = {true, false};
    M.OutStt = {false, false};
    M.InStt = {true};
    M.RxBuf = "*a";
    M.InNameNo = 3;
    M.WebOutCmd = u's';
    M.TmIoCycle = T0 + 10;
    M.TmErrShow = T0 + 20;
    fMainDs->lblSttInfo->setText(QStringLiteral("Get timeout"));
    fMainDs->btnTrackSwClick();
    QCOMPARE(M.DevMode, 0);
    QCOMPARE(M.OutSet, (TTarvoIOArray{true, false}));
    QCOMPARE(M.OutStt, (TTarvoIOArray{false, false}));
    QCOMPARE(M.InStt, TTarvoIOArray{true});
    QCOMPARE(M.RxBuf, QByteArray("*a"));
    QCOMPARE(M.InNameNo, 3);
    QCOMPARE(M.WebOutCmd, QChar(u's'));
    QCOMPARE(M.TmIoCycle, T0 + 10);
    QCOMPARE(M.TmErrShow, T0 + 20);
    QCOMPARE(fMainDs->lblSttInfo->text(), QStringLiteral("Get timeout"));
}

void TstMainDsTrack::stopByMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ioCycleKept");
    QTest::addColumn<bool>("webPollsKept");
    QTest::newRow("TCP server") << 0 << false << true;
    QTest::newRow("WEB") << 3 << true << false;
    QTest::newRow("TCP client") << 1 << true << true;
    QTest::newRow("not read") << -1 << true << true;
}

void TstMainDsTrack::stopByMode() {
    QFETCH(int, mode);
    QFETCH(bool, ioCycleKept);
    QFETCH(bool, webPollsKept);
    TTestApp App;
    auto& M = MonitorState;
    fMainDs->btnTrackSwClick();
    M.DevMode = mode;
    M.TmIoCycle = T0 + 300;
    M.TmFreshStart = T0 + 1000;
    M.TmPollStart = T0 + 1000;
    M.TmSockClose = T0 + 1000;
    M.TmAckTout = T0 + 2000;
    fMainDs->btnTrackSwClick();
    QVERIFY(!M.Tracking);
    QCOMPARE(M.TmIoCycle, ioCycleKept ? T0 + 300 : NeverTime);
    QCOMPARE(M.TmFreshStart, webPollsKept ? T0 + 1000 : NeverTime);
    QCOMPARE(M.TmPollStart, webPollsKept ? T0 + 1000 : NeverTime);
    // Stop changes only what it names.
    QCOMPARE(M.TmSockClose, T0 + 1000);
    QCOMPARE(M.TmAckTout, T0 + 2000);
    QCOMPARE(M.DevMode, mode);
    QCOMPARE(fMainDs->lblSttInfo->text(), QStringLiteral("Stopped"));
}

void TstMainDsTrack::enterInAddressField() {
    TTestApp App;
    fMainDs->show();
    fMainDs->edtIpAdr->setText(QStringLiteral("127.0.0.1"));
    QTest::keyClicks(fMainDs->edtIpAdr, QStringLiteral(":80"));
    QCOMPARE(fMainDs->edtIpAdr->text(), QStringLiteral("127.0.0.1:80"));
    QVERIFY(!MonitorState.Tracking);

    QTest::keyClick(fMainDs->edtIpAdr, Qt::Key_Return);
    QVERIFY(MonitorState.Tracking);
    VerifyLook(true);
    QCOMPARE(fMainDs->edtIpAdr->text(), QStringLiteral("127.0.0.1:80"));

    fMainDs->btnTrackSwClick();
    QTest::keyClick(fMainDs->edtIpAdr, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(MonitorState.Tracking);
}

void TstMainDsTrack::enterHandlerBothLooks() {
    TTestApp App;
    QChar Key(13);
    fMainDs->edtIpAdrKeyPress(Key);
    QVERIFY(MonitorState.Tracking);
    QCOMPARE(Key, QChar(13));
    VerifyLook(true);

    fMainDs->edtIpAdrKeyPress(Key); // as the button: stops
    QVERIFY(!MonitorState.Tracking);
    VerifyLook(false);

    for (QChar Other : {QChar(u'a'), QChar(10), QChar(u'1')}) {
        fMainDs->edtIpAdrKeyPress(Other);
        QVERIFY(!MonitorState.Tracking);
    }
}

void TstMainDsTrack::pauseThenPress() {
    TTestApp App;
    fMainDs->btnTrackSwClick();
    MonitorState.Tracking = false; // the service panel's Pause
    QCOMPARE(fMainDs->btnTrackSw->text(), QStringLiteral("Stop"));
    ClockAdvance(500);
    fMainDs->btnTrackSwClick(); // starts a new run
    QVERIFY(MonitorState.Tracking);
    QCOMPARE(MonitorState.TmSetXmlStart, T0 + 500);
}

void TstMainDsTrack::outputPress_data() {
    QTest::addColumn<bool>("tracking");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<int>("tag");
    QTest::addColumn<bool>("on");
    QTest::addColumn<TTarvoIOArray>("outSet");
    QTest::addColumn<TTarvoIOArray>("outSetAfter");
    QTest::addColumn<QChar>("webCmd"); // code 0: no command left

    const bool T = true, F = false;
    const TTarvoIOArray Set3{F, F, F};
    const QChar None(0);
    QTest::newRow("TCP on 2") << T << 0 << 3 << 2 << T << Set3 << TTarvoIOArray{F, T, F} << None;
    QTest::newRow("TCP off 3") << T << 0 << 3 << 3 << F << TTarvoIOArray{T, T, T}
                               << TTarvoIOArray{T, T, F} << None;
    QTest::newRow("TCP before the first outputs answer")
        << T << 0 << 3 << 1 << T << TTarvoIOArray{} << TTarvoIOArray{} << None;
    QTest::newRow("TCP tag beyond OutSet") << T << 0 << 4 << 4 << T << Set3 << Set3 << None;
    QTest::newRow("TCP tag 0") << T << 0 << 3 << 0 << T << Set3 << Set3 << None;
    QTest::newRow("TCP tag -1") << T << 0 << 3 << -1 << T << Set3 << Set3 << None;
    QTest::newRow("TCP tag beyond tiles") << T << 0 << 2 << 3 << T << Set3 << Set3 << None;
    QTest::newRow("TCP monitoring off") << F << 0 << 3 << 1 << T << Set3 << Set3 << None;
    QTest::newRow("WEB on 2") << T << 3 << 3 << 2 << T << Set3 << Set3 << QChar(u's');
    QTest::newRow("WEB off 1") << T << 3 << 3 << 1 << F << Set3 << Set3 << QChar(u'r');
    QTest::newRow("WEB tag beyond tiles") << T << 3 << 3 << 4 << T << Set3 << Set3 << None;
    QTest::newRow("WEB tag 0") << T << 3 << 3 << 0 << F << Set3 << Set3 << None;
    QTest::newRow("WEB monitoring off") << F << 3 << 3 << 1 << T << Set3 << Set3 << None;
    QTest::newRow("mode not read") << T << -1 << 3 << 1 << T << Set3 << Set3 << None;
    QTest::newRow("UDP") << T << 2 << 3 << 1 << T << Set3 << Set3 << None;
}

void TstMainDsTrack::outputPress() {
    QFETCH(bool, tracking);
    QFETCH(int, mode);
    QFETCH(int, tiles);
    QFETCH(int, tag);
    QFETCH(bool, on);
    QFETCH(TTarvoIOArray, outSet);
    QFETCH(TTarvoIOArray, outSetAfter);
    QFETCH(QChar, webCmd);

    TTestApp App;
    auto& M = MonitorState;
    M.Tracking = tracking;
    M.DevMode = mode;
    M.OutSet = outSet;
    fMainDs->PnlOut = QList<TPnlOut>(tiles);
    ClockSetNow(T0 + 70);
    TButtons Buttons;
    QPushButton* Sender = Buttons.Tag(tag);
    QVERIFY(Sender);
    if (on)
        fMainDs->btnOnClick(Sender);
    else
        fMainDs->btnOffClick(Sender);

    QCOMPARE(M.OutSet, outSetAfter);
    QCOMPARE(M.WebOutCmd, webCmd);
    if (webCmd != QChar(0)) {
        QCOMPARE(M.WebOutNo, tag);
        QCOMPARE(M.TmPollStart, T0 + 70);
    } else {
        QCOMPARE(M.WebOutNo, -1);
        QCOMPARE(M.TmPollStart, NeverTime);
    }
    // Nothing is sent by a press: no request deadline is armed.
    QCOMPARE(M.TmAckTout, NeverTime);
    QCOMPARE(M.TmIoCycle, NeverTime);
}

void TstMainDsTrack::webLastPressWins() {
    TTestApp App;
    auto& M = MonitorState;
    M.Tracking = true;
    M.DevMode = 3;
    fMainDs->PnlOut = QList<TPnlOut>(2);
    TButtons Buttons;
    fMainDs->btnOnClick(Buttons.Tag(1));
    ClockAdvance(3);
    fMainDs->btnOffClick(Buttons.Tag(2));
    QCOMPARE(M.WebOutCmd, QChar(u'r'));
    QCOMPARE(M.WebOutNo, 2);
    QCOMPARE(M.TmPollStart, T0 + 3);
    // An out-of-range press afterwards leaves the pending command alone.
    fMainDs->btnOnClick(Buttons.Tag(4));
    QCOMPARE(M.WebOutCmd, QChar(u'r'));
    QCOMPARE(M.WebOutNo, 2);
}

QTEST_MAIN(TstMainDsTrack)
#include "tst_uMainDsTrack.moc"
