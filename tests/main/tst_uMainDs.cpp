#include "TestApp.h"
#include "uDebug.h"
#include "uMainDs.h"
#include "uPanel.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QTest>

namespace {

constexpr TDeadline T0 = TTestApp::StartTime;

void WriteIni(const QByteArray& Content) {
    QFile F(fMainDs->IniFileName());
    QVERIFY(F.open(QIODevice::WriteOnly));
    F.write(Content);
}

QByteArray ReadIni() {
    QFile F(fMainDs->IniFileName());
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

// Answers every message box and remembers what it said.
struct TMessageBoxes {
    QStringList Texts;
    TMessageBoxProc Saved = MessageBoxProc;
    TMessageBoxes() {
        MessageBoxProc = [this](QWidget*, const QString& Text) { Texts << Text; };
    }
    ~TMessageBoxes() { MessageBoxProc = Saved; }
};

} // namespace

class TstMainDs : public QObject {
    Q_OBJECT

private slots:
    void firstStartWithoutFile();
    void settingsRead_data();
    void settingsRead();
    void trackResumesASecondAfterShow();
    void closeWritesSettings();
    void debugIsNeverWritten();
    void closeUnwritable();
    void layoutFollowsWidth();
    void serviceGesture_data();
    void serviceGesture();
    void serviceGestureButtonHeld();
};

void TstMainDs::firstStartWithoutFile() {
    TTestApp App;
    fMainDs->show();
    QCOMPARE(fMainDs->windowTitle(), QStringLiteral("Dorsena v.24.6.17.1"));
    QCOMPARE(fMainDs->edtIpAdr->text(), QStringLiteral("192.168.1.254"));
    QCOMPARE(fMainDs->pos(), QPoint(100, 100));
    QCOMPARE(fMainDs->size(), QSize(904, 423));
    QVERIFY(!MonitorState.Tracking);
    QVERIFY(!MonitorState.DebugOn);
    QVERIFY(!fDebug->isVisible());
    QVERIFY(!fMainDs->pnlIn->isVisible());
    QVERIFY(!fMainDs->pnlOut->isVisible());
    QVERIFY(fMainDs->lblErr->text().isEmpty());
    QCOMPARE(MonitorState.TmSetXmlStart, NeverTime);
    QCOMPARE(fMainDs->btnTrackSw->text(), QStringLiteral("Start"));
    QVERIFY(!QFile::exists(fMainDs->IniFileName())); // created by the first save only
    App.TickAfter(10);
    QCOMPARE(fMainDs->pnl4->text(), QStringLiteral("x"));
}

void TstMainDs::settingsRead_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("tracking");
    QTest::addColumn<bool>("debug");

    const QRect Layout(100, 100, 904, 423);
    QTest::newRow("every key")
        << QByteArray("[Glob]\nIpAdr=10.0.0.7:8080\nTop=50\nLeft=60\nWidth=700\nHeight=400\n"
                      "Track=0\nDebug=0\n")
        << "10.0.0.7:8080" << QRect(60, 50, 700, 400) << false << false;
    QTest::newRow("width under the minimum") << QByteArray("[Glob]\nWidth=300\n") << "192.168.1.254"
                                             << QRect(100, 100, 500, 423) << false << false;
    QTest::newRow("not integers take the default")
        << QByteArray("[Glob]\nTop=abc\nLeft=1.5\nWidth=12px\nHeight=\nTrack=yes\nDebug=on\n")
        << "192.168.1.254" << Layout << false << false;
    QTest::newRow("any non-zero integer is true")
        << QByteArray("[Glob]\nTrack=2\nDebug=-1\n") << "192.168.1.254" << Layout << true << true;
    QTest::newRow("spaces around values")
        << QByteArray("[Glob]\nTop = 7 \nTrack = 1\n") << "192.168.1.254" << QRect(100, 7, 904, 423)
        << true << false;
    QTest::newRow("no Glob section") << QByteArray("[Other]\nIpAdr=1.2.3.4\nTrack=1\nTop=5\n")
                                     << "192.168.1.254" << Layout << false << false;
    QTest::newRow("address with a comma stays one text")
        << QByteArray("[Glob]\nIpAdr=10.0.0.1,5\n") << "10.0.0.1,5" << Layout << false << false;
}

void TstMainDs::settingsRead() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, ip);
    QFETCH(QRect, geometry);
    QFETCH(bool, tracking);
    QFETCH(bool, debug);

    TTestApp App;
    WriteIni(ini);
    fMainDs->show();
    QCOMPARE(fMainDs->edtIpAdr->text(), ip);
    QCOMPARE(QRect(fMainDs->pos(), fMainDs->size()), geometry);
    QCOMPARE(MonitorState.Tracking, tracking);
    QCOMPARE(fMainDs->btnTrackSw->text(),
             tracking ? QStringLiteral("Stop") : QStringLiteral("Start"));
    QCOMPARE(MonitorState.TmSetXmlStart, tracking ? T0 + 1000 : NeverTime);
    QCOMPARE(MonitorState.DebugOn, debug);
    QCOMPARE(fDebug->isVisible(), debug);
}

void TstMainDs::trackResumesASecondAfterShow() {
    TTestApp App;
    WriteIni("[Glob]\nTrack=1\n");
    ClockAdvance(40);
    fMainDs->show();
    QVERIFY(MonitorState.Tracking);
    QVERIFY(!fMainDs->edtIpAdr->isEnabled());
    QCOMPARE(MonitorState.TmBusyStep, T0 + 40);
    QCOMPARE(MonitorState.TmSetXmlStart, T0 + 40 + 1000);

    App.TickAfter(1); // the indicator turns at once
    QCOMPARE(fMainDs->pnl4->text(), QStringLiteral("|"));
    ClockSetNow(T0 + 40 + 1000);
    App.Tick(); // the settings request waits for the full second
    QCOMPARE(MonitorState.TmSetXmlStart, T0 + 40 + 1000);
}

void TstMainDs::closeWritesSettings() {
    QByteArray Raw;
    {
        TTestApp App;
        fMainDs->show();
        fMainDs->edtIpAdr->setText(QStringLiteral("127.0.0.1:8081"));
        fMainDs->setGeometry(QRect(QPoint(130, 140), QSize(800, 450)));
        fMainDs->btnTrackSwClick();
        fMainDs->close();
        QVERIFY(MonitorState.Tracking); // closing neither stops nor disconnects

        Raw = ReadIni();
        QVERIFY2(Raw.startsWith("[Glob]\n"), Raw.constData());
        QSettings Ini(fMainDs->IniFileName(), QSettings::IniFormat);
        QCOMPARE(Ini.childGroups(), QStringList{"Glob"});
        Ini.beginGroup(QStringLiteral("Glob"));
        QCOMPARE(Ini.childKeys().size(), 6);
        QCOMPARE(Ini.value("IpAdr").toString(), QStringLiteral("127.0.0.1:8081"));
        QCOMPARE(Ini.value("Left").toString(), QString::number(fMainDs->pos().x()));
        QCOMPARE(Ini.value("Top").toString(), QString::number(fMainDs->pos().y()));
        QCOMPARE(Ini.value("Width").toString(), QStringLiteral("800"));
        QCOMPARE(Ini.value("Height").toString(), QStringLiteral("450"));
        QCOMPARE(Ini.value("Track").toString(), QStringLiteral("1"));
        QVERIFY(!Ini.contains("Debug"));
    }

    // What was saved is what the next start shows.
    TTestApp Next;
    WriteIni(Raw);
    fMainDs->show();
    QCOMPARE(fMainDs->edtIpAdr->text(), QStringLiteral("127.0.0.1:8081"));
    QCOMPARE(fMainDs->size(), QSize(800, 450));
    QVERIFY(MonitorState.Tracking);
}

void TstMainDs::debugIsNeverWritten() {
    TTestApp App;
    WriteIni("[Glob]\nDebug=1\nTrack=0\n");
    fMainDs->show();
    QVERIFY(MonitorState.DebugOn);
    MonitorState.DebugOn = false; // as when the debug log window was closed
    fMainDs->close();
    QSettings Ini(fMainDs->IniFileName(), QSettings::IniFormat);
    QCOMPARE(Ini.value("Glob/Debug").toString(), QStringLiteral("1"));
    QCOMPARE(Ini.value("Glob/Track").toString(), QStringLiteral("0"));
    QVERIFY(ReadIni().contains("\nDebug=1\n"));
}

void TstMainDs::closeUnwritable() {
    TTestApp App;
    // A directory path that runs through a plain file: no one can write there.
    const QString Blocker = App.IniDir() + QStringLiteral("/blocker");
    {
        QFile F(Blocker);
        QVERIFY(F.open(QIODevice::WriteOnly));
    }
    MonitorState.IniPath = Blocker + QDir::separator();
    TMessageBoxes Boxes;
    fMainDs->show();
    QVERIFY(fMainDs->close());
    QCOMPARE(Boxes.Texts, QStringList{QStringLiteral("Unable to write to ") + Blocker +
                                      QStringLiteral("/Dorsena.ini")});
    QVERIFY(!fMainDs->isVisible());
}

void TstMainDs::layoutFollowsWidth() {
    TTestApp App;
    fMainDs->show();
    const int Lbl6X = fMainDs->lbl6->x();
    QVERIFY(Lbl6X <= 617);
    fMainDs->resize(1100, 500);
    const int Shift = 1100 - 904;
    QCOMPARE(fMainDs->pnl1->geometry(), QRect(0, 0, 1100, 38));
    QCOMPARE(fMainDs->pnl2->geometry(), QRect(0, 500 - 31, 1100, 31));
    QCOMPARE(fMainDs->scrlbx1->geometry(), QRect(0, 38, 1100, 500 - 38 - 31));
    QCOMPARE(fMainDs->btnTrackSw->geometry(), QRect(833 + Shift, 7, 50, 25));
    QCOMPARE(fMainDs->edtIpAdr->geometry(), QRect(713 + Shift, 8, 104, 23));
    QCOMPARE(fMainDs->lbl6->pos(), QPoint(Lbl6X + Shift, 12));
    QVERIFY(fMainDs->lbl6->geometry().right() < fMainDs->edtIpAdr->x());
    QCOMPARE(fMainDs->pnl3->geometry(), QRect(1100 - 19, 0, 19, 31));
    QCOMPARE(fMainDs->pnl4->geometry(), QRect(0, 0, 25, 31));
    QCOMPARE(fMainDs->pnl4->text(), QStringLiteral("x"));

    fMainDs->resize(200, 500);
    QCOMPARE(fMainDs->width(), 500);
}

void TstMainDs::serviceGesture_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Ctrl, left") << int(Qt::LeftButton) << int(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl, right") << int(Qt::RightButton) << int(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl, middle") << int(Qt::MiddleButton) << int(Qt::ControlModifier) << true;
    QTest::newRow("no key") << int(Qt::LeftButton) << int(Qt::NoModifier) << false;
    QTest::newRow("Ctrl and Shift")
        << int(Qt::LeftButton) << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl and Alt") << int(Qt::LeftButton)
                                  << int(Qt::ControlModifier | Qt::AltModifier) << false;
    QTest::newRow("Shift") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << false;
    QTest::newRow("Alt") << int(Qt::LeftButton) << int(Qt::AltModifier) << false;
}

void TstMainDs::serviceGesture() {
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    TTestApp App;
    fMainDs->show();
    QVERIFY(QTest::qWaitForWindowExposed(fMainDs));
    QTest::mouseClick(fMainDs->pnl3, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(fPanel->isVisible(), opens);

    // The same click elsewhere on the bottom bar never opens it.
    fPanel->hide();
    QTest::mouseClick(fMainDs->lblSttInfo, Qt::MouseButton(button),
                      Qt::KeyboardModifiers(modifiers));
    QVERIFY(!fPanel->isVisible());
}

void TstMainDs::serviceGestureButtonHeld() {
    TTestApp App;
    fMainDs->pnl3MouseUp(Qt::LeftButton, Qt::ControlModifier, Qt::RightButton);
    QVERIFY(!fPanel->isVisible());
    fMainDs->pnl3MouseUp(Qt::LeftButton, Qt::ControlModifier, Qt::NoButton);
    QVERIFY(fPanel->isVisible());
}

QTEST_MAIN(TstMainDs)
#include "tst_uMainDs.moc"
