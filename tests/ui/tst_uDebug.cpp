#include "TestApp.h"
#include "uDebug.h"
#include "uMainDs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QTest>

#include <memory>

class TstDebug : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineFormats_data();
    void lineFormats();
    void stampIsLocalMinutesAndSeconds();
    void timeSeparator_data();
    void timeSeparator();
    void extendLastLine();
    void nothingWhileOff();
    void maxLiAtDesignSize();
    void shrinkThenAdd();
    void tinyList_data();
    void tinyList();
    void closeAndReopen();
    void copySelected();
    void openedBySettingsFile();

private:
    // Opens the window as an opener does: logging on, then shown.
    void Open();
    QString Stamp() const { return QStringLiteral("07") + Sep + QStringLiteral("42 "); }
    QString Line(int I) const { return fDebug->lst1->item(I)->text(); }
    std::unique_ptr<TTestApp> App;
    QString Sep;
};

namespace {

enum TOp { OpAdd, OpText, OpTextW, OpHex, OpHexTxt };

} // namespace

void TstDebug::init() {
    App = std::make_unique<TTestApp>();
    DebugTimeSource = [] { return QTime(14, 7, 42, 512); };
    Sep = DebugTimeSeparator(QLocale::system());
}

void TstDebug::cleanup() {
    App.reset();
    DebugTimeSource = [] { return QTime::currentTime(); };
}

void TstDebug::Open() {
    MonitorState.DebugOn = true;
    fDebug->show();
    QVERIFY(QTest::qWaitForWindowExposed(fDebug));
}

void TstDebug::lineFormats_data() {
    QTest::addColumn<int>("op");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("wide");
    QTest::addColumn<QString>("line");
    const QByteArray None;
    QTest::newRow("Add") << int(OpAdd) << None << None << "Disconnect"
                         << "Disconnect";
    QTest::newRow("Add empty") << int(OpAdd) << None << None << ""
                               << "";
    QTest::newRow("AddText OK") << int(OpText) << QByteArray("GET") << QByteArray("OK") << ""
                                << "GET:|OK|";
    QTest::newRow("AddText CR LF")
        << int(OpText) << QByteArray("x") << QByteArray::fromHex("2A610D0A") << ""
        << "x:|*a<0D><0A>|";
    QTest::newRow("AddText empty") << int(OpText) << QByteArray("Get") << None << ""
                                   << "Get:||";
    QTest::newRow("AddText NUL E8 7F")
        << int(OpText) << QByteArray("x") << QByteArray::fromHex("00E87F201F") << ""
        << QStringLiteral("x:|<00>\u00E8\u007F <1F>|");
    QTest::newRow("AddTextW URL") << int(OpTextW) << None << None
                                  << "http://192.168.1.254/settings.xml"
                                  << "URL:|http://192.168.1.254/settings.xml|";
    QTest::newRow("AddTextW control units")
        << int(OpTextW) << None << None << QStringLiteral("a\tč\u0000\u00E8")
        << QStringLiteral("URL:|a<09>č<00>\u00E8|");
    QTest::newRow("AddHex") << int(OpHex) << QByteArray("Rx") << QByteArray::fromHex("2A61") << ""
                            << "Rx:2A 61 ";
    QTest::newRow("AddHex empty") << int(OpHex) << QByteArray("Rx") << None << ""
                                  << "Rx:";
    QTest::newRow("AddHex NUL FF")
        << int(OpHex) << QByteArray("Rx") << QByteArray::fromHex("00FF0a") << ""
        << "Rx:00 FF 0A ";
    QTest::newRow("AddHexTxt") << int(OpHexTxt) << QByteArray("Txs")
                               << QByteArray::fromHex("2A610D") << ""
                               << "Txs:2A 61 0D |*a<0D>|";
    QTest::newRow("AddHexTxt empty") << int(OpHexTxt) << QByteArray("Rxs") << None << ""
                                     << "Rxs:||";
    // 0xE8 through the display code page (windows-1250) is c with caron.
    QTest::newRow("AddHexTxt NUL E8")
        << int(OpHexTxt) << QByteArray("Rxs") << QByteArray::fromHex("00E841") << ""
        << QStringLiteral("Rxs:00 E8 41 |<00>\u010DA|");
    QTest::newRow("label through code page")
        << int(OpHex) << QByteArray("\xE8") << None << "" << QStringLiteral("\u010D:");
}

void TstDebug::lineFormats() {
    QFETCH(int, op);
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, data);
    QFETCH(QString, wide);
    QFETCH(QString, line);
    Open();
    switch (op) {
    case OpAdd:
        fDebug->Add(wide);
        break;
    case OpText:
        fDebug->AddText(label, data);
        break;
    case OpTextW:
        fDebug->AddTextW(QStringLiteral("URL"), wide);
        break;
    case OpHex:
        fDebug->AddHex(label, data);
        break;
    default:
        fDebug->AddHexTxt(label, data);
        break;
    }
    QCOMPARE(fDebug->lst1->count(), 1);
    QCOMPARE(Line(0), Stamp() + line);
}

void TstDebug::stampIsLocalMinutesAndSeconds() {
    Open();
    DebugTimeSource = [] { return QTime(9, 0, 5); };
    fDebug->Add(QStringLiteral("a"));
    DebugTimeSource = [] { return QTime(23, 59, 59, 999); };
    fDebug->Add(QStringLiteral("b"));
    QCOMPARE(Line(0), QStringLiteral("00") + Sep + QStringLiteral("05 a"));
    QCOMPARE(Line(1), QStringLiteral("59") + Sep + QStringLiteral("59 b"));
}

void TstDebug::timeSeparator_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::newRow("C") << "C"
                       << ":";
    QTest::newRow("en_US, with AM/PM") << "en_US"
                                       << ":";
    QTest::newRow("cs_CZ") << "cs_CZ"
                           << ":";
    QTest::newRow("fi_FI, a dot") << "fi_FI"
                                  << ".";
}

void TstDebug::timeSeparator() {
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    QCOMPARE(DebugTimeSeparator(QLocale(locale)), separator);
}

void TstDebug::extendLastLine() {
    Open();
    fDebug->InsEnd(QStringLiteral("abc"));
    QCOMPARE(fDebug->lst1->count(), 1);
    QCOMPARE(Line(0), QStringLiteral("abc"));
    fDebug->lst1->clear();
    fDebug->Append(QStringLiteral("xyz"));
    QCOMPARE(Line(0), QStringLiteral("xyz"));

    fDebug->Add(QStringLiteral("Disconnect"));
    fDebug->InsEnd(QStringLiteral("abc"));
    fDebug->Append(QStringLiteral(" d"));
    QCOMPARE(fDebug->lst1->count(), 2);
    QCOMPARE(Line(1), Stamp() + QStringLiteral("Disconnectabc d"));
}

void TstDebug::nothingWhileOff() {
    Open();
    fDebug->Add(QStringLiteral("kept"));
    MonitorState.DebugOn = false;
    int Stamps = 0;
    DebugTimeSource = [&Stamps] {
        ++Stamps;
        return QTime(1, 2, 3);
    };
    fDebug->Add(QStringLiteral("x"));
    fDebug->AddText("GET", "OK");
    fDebug->AddTextW(QStringLiteral("URL"), QStringLiteral("u"));
    fDebug->AddHex("Rx", "a");
    fDebug->AddHexTxt("Txs", "a");
    fDebug->InsEnd(QStringLiteral("y"));
    fDebug->Append(QStringLiteral("z"));
    QCOMPARE(fDebug->lst1->count(), 1);
    QCOMPARE(Line(0), Stamp() + QStringLiteral("kept"));
    QCOMPARE(Stamps, 0);
}

void TstDebug::maxLiAtDesignSize() {
    QCOMPARE(fDebug->MaxLi, 100);
    QCOMPARE(fDebug->windowTitle(), QStringLiteral("Debug"));
    Open();
    QCOMPARE(fDebug->size(), QSize(328, 408));
    QCOMPARE(fDebug->lst1->geometry(), fDebug->rect());
    QCOMPARE(fDebug->MaxLi, 30);
    for (int I = 1; I <= 30; ++I)
        fDebug->Add(QString::number(I));
    QCOMPARE(fDebug->lst1->count(), 30);
    QCOMPARE(Line(0), Stamp() + QStringLiteral("1"));
    fDebug->Add(QStringLiteral("31"));
    QCOMPARE(fDebug->lst1->count(), 30);
    QCOMPARE(Line(0), Stamp() + QStringLiteral("2"));
    QCOMPARE(Line(29), Stamp() + QStringLiteral("31"));
    // Every kept line is in view without scrolling.
    const QRect Last = fDebug->lst1->visualItemRect(fDebug->lst1->item(29));
    QCOMPARE(Last.height(), TfDebug::ItemHeight);
    QVERIFY(fDebug->lst1->viewport()->rect().contains(Last));
}

void TstDebug::shrinkThenAdd() {
    Open();
    for (int I = 1; I <= 30; ++I)
        fDebug->Add(QString::number(I));
    fDebug->resize(328, 11 * TfDebug::ItemHeight + 5);
    QTRY_COMPARE(fDebug->MaxLi, 10);
    // Trimming waits for the next line.
    QCOMPARE(fDebug->lst1->count(), 30);
    fDebug->Add(QStringLiteral("31"));
    QCOMPARE(fDebug->lst1->count(), 10);
    QCOMPARE(Line(0), Stamp() + QStringLiteral("22"));
    QCOMPARE(Line(9), Stamp() + QStringLiteral("31"));
    // Growing does not bring lines back.
    fDebug->resize(328, 408);
    QTRY_COMPARE(fDebug->MaxLi, 30);
    QCOMPARE(fDebug->lst1->count(), 10);
}

void TstDebug::tinyList_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("maxLi");
    QTest::newRow("one line high") << 20 << 0;
    QTest::newRow("no height") << 0 << -1;
}

void TstDebug::tinyList() {
    QFETCH(int, height);
    QFETCH(int, maxLi);
    Open();
    fDebug->Add(QStringLiteral("old"));
    fDebug->lst1->setMinimumSize(0, 0);
    fDebug->setMinimumSize(0, 0);
    fDebug->resize(328, height);
    QTRY_COMPARE(fDebug->lst1->height(), height);
    QCOMPARE(fDebug->MaxLi, maxLi);
    fDebug->Add(QStringLiteral("new"));
    fDebug->AddHexTxt("Rxs", "a");
    QCOMPARE(fDebug->lst1->count(), 0);
    fDebug->MaxLi = -1000;
    fDebug->Add(QStringLiteral("again"));
    QCOMPARE(fDebug->lst1->count(), 0);
    // Extending never trims.
    fDebug->InsEnd(QStringLiteral("tail"));
    QCOMPARE(fDebug->lst1->count(), 1);
}

void TstDebug::closeAndReopen() {
    Open();
    QCOMPARE(fDebug->windowTitle(), QStringLiteral(" - Debug - ???"));
    fDebug->Add(QStringLiteral("a"));
    fDebug->Add(QStringLiteral("b"));
    QVERIFY(fDebug->close());
    QVERIFY(fDebug->isHidden());
    QVERIFY(!MonitorState.DebugOn);
    QCOMPARE(fDebug->lst1->count(), 0);
    fDebug->Add(QStringLiteral("while closed"));
    QCOMPARE(fDebug->lst1->count(), 0);

    fDebug->setWindowTitle(QStringLiteral("Debug"));
    Open();
    QCOMPARE(fDebug->windowTitle(), QStringLiteral(" - Debug - ???"));
    QCOMPARE(fDebug->lst1->count(), 0);
    fDebug->Add(QStringLiteral("c"));
    QCOMPARE(fDebug->lst1->count(), 1);
}

void TstDebug::copySelected() {
    Open();
    QCOMPARE(fDebug->lst1->selectionMode(), QAbstractItemView::ExtendedSelection);
    for (int I = 0; I < 5; ++I)
        fDebug->Add(QStringLiteral("line %1").arg(I));
    QClipboard* Clip = QGuiApplication::clipboard();
    Clip->setText(QStringLiteral("previous"));
    fDebug->Copy1Click();
    QCOMPARE(Clip->text(), QString());

    // Selected out of order: the clipboard keeps the list's order.
    fDebug->lst1->item(4)->setSelected(true);
    fDebug->lst1->item(0)->setSelected(true);
    fDebug->lst1->item(2)->setSelected(true);
    MonitorState.DebugOn = false;
    QCOMPARE(fDebug->pm1->actions(), QList<QAction*>{fDebug->Copy1});
    QCOMPARE(fDebug->Copy1->text(), QStringLiteral("Copy"));
    fDebug->Copy1->trigger();
    QCOMPARE(Clip->text(), Line(0) + "\r\n" + Line(2) + "\r\n" + Line(4) + "\r\n");
    QCOMPARE(Line(2), Stamp() + QStringLiteral("line 2"));
}

void TstDebug::openedBySettingsFile() {
    {
        QSettings Ini(fMainDs->IniFileName(), QSettings::IniFormat);
        Ini.setValue(QStringLiteral("Glob/Debug"), 1);
    }
    fMainDs->show();
    QVERIFY(QTest::qWaitForWindowExposed(fMainDs));
    QVERIFY(MonitorState.DebugOn);
    QVERIFY(fDebug->isVisible());
    QCOMPARE(fDebug->windowTitle(), QStringLiteral(" - Debug - ???"));
    QCOMPARE(fDebug->MaxLi, 30);
}

QTEST_MAIN(TstDebug)
#include "tst_uDebug.moc"
