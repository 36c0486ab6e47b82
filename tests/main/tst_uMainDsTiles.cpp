#include "TestApp.h"
#include "uMainDs.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTest>

#include <memory>

class TstMainDsTiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void outputsAloneKeepTemplateTop();
    void resizeLaysOut();
    void names_data();
    void names();
    void state_data();
    void state();
    void stateReplacesPicture();
    void pictureList();
    void clearAndReAdd();
    void startClears();
    void buttons();
    void skippedAdd();

private:
    std::unique_ptr<TTestApp> App;
};

namespace {

QImage Picture(const QLabel* Img) {
    return Img->pixmap().toImage();
}

// Pixel at a logical position of a picture drawn at any pixel ratio.
QColor PixelAt(const QImage& Image, int X, int Y) {
    const qreal Dpr = Image.devicePixelRatio();
    return Image.pixelColor(int((X + 0.5) * Dpr), int((Y + 0.5) * Dpr));
}

bool Near(const QColor& A, const QColor& B) {
    return qAbs(A.red() - B.red()) <= 2 && qAbs(A.green() - B.green()) <= 2 &&
           qAbs(A.blue() - B.blue()) <= 2 && qAbs(A.alpha() - B.alpha()) <= 2;
}

QList<QFrame*> TileArea(TfMainDs* W) {
    return W->scrlbx1Client->findChildren<QFrame*>(Qt::FindDirectChildrenOnly);
}

} // namespace

void TstMainDsTiles::init() {
    App = std::make_unique<TTestApp>();
}

void TstMainDsTiles::cleanup() {
    App.reset();
}

void TstMainDsTiles::layout_data() {
    QTest::addColumn<int>("boxWidth");
    QTest::addColumn<QList<QPoint>>("inputs");
    QTest::addColumn<int>("headingTop");
    QTest::addColumn<QList<QPoint>>("outputs");

    QTest::newRow("eight inputs, four to a row")
        << 904 << QList<QPoint>{{4, 28}, {201, 28}, {398, 28}, {595, 28},
                                {4, 80}, {201, 80}, {398, 80}, {595, 80}}
        << 132 << QList<QPoint>{{4, 156}, {201, 156}};
    QTest::newRow("five inputs, the fifth wraps")
        << 904 << QList<QPoint>{{4, 28}, {201, 28}, {398, 28}, {595, 28}, {4, 80}} << 132
        << QList<QPoint>{{4, 156}};
    QTest::newRow("no inputs") << 904 << QList<QPoint>{} << 32
                               << QList<QPoint>{{4, 56}, {201, 56}, {398, 56}};
    QTest::newRow("no tiles at all") << 904 << QList<QPoint>{} << 32 << QList<QPoint>{};
    // Exactly one tile fits: 4 + 193 = 197.
    QTest::newRow("box one tile wide")
        << 197 << QList<QPoint>{{4, 28}, {4, 80}} << 132 << QList<QPoint>{{4, 156}};
    // Narrower than one tile: the wrap test comes first, so the first row stays empty.
    QTest::newRow("box narrower than a tile")
        << 150 << QList<QPoint>{{4, 80}, {4, 132}} << 184 << QList<QPoint>{{4, 260}};
}

void TstMainDsTiles::layout() {
    QFETCH(int, boxWidth);
    QFETCH(QList<QPoint>, inputs);
    QFETCH(int, headingTop);
    QFETCH(QList<QPoint>, outputs);
    TfMainDs* W = fMainDs;
    W->scrlbx1->resize(boxWidth, W->scrlbx1->height());
    for (int N = 1; N <= inputs.size(); ++N)
        W->PnlInItemAdd(N);
    for (int N = 1; N <= outputs.size(); ++N)
        W->PnlOutItemAdd(N);

    W->PnlInPosUpdate();
    W->PnlOutPosUpdate();

    for (int I = 0; I < inputs.size(); ++I)
        QCOMPARE(W->PnlIn[I].pnlMain->pos(), inputs[I]);
    for (int I = 0; I < outputs.size(); ++I)
        QCOMPARE(W->PnlOut[I].pnlMain->pos(), outputs[I]);
    QCOMPARE(W->lblOutputs->y(), headingTop);
    QVERIFY(!W->lblOutputs->isHidden());
    QCOMPARE(W->pnlOut->y(), headingTop - W->lblInputs->y() + W->pnlIn->y());

    // The scroll box can reach every tile and never shows less than its viewport.
    const QRect Client = W->scrlbx1Client->rect();
    for (const TPnlIn& T : W->PnlIn)
        QVERIFY(Client.contains(T.pnlMain->geometry()));
    for (const TPnlOut& T : W->PnlOut)
        QVERIFY(Client.contains(T.pnlMain->geometry()));
    const int Bar = W->scrlbx1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QVERIFY(Client.width() >= W->scrlbx1->width() - Bar);
    QVERIFY(Client.height() >= W->scrlbx1->height() - Bar);
}

void TstMainDsTiles::outputsAloneKeepTemplateTop() {
    TfMainDs* W = fMainDs;
    for (int N = 1; N <= 8; ++N)
        W->PnlInItemAdd(N);
    W->PnlOutItemAdd(1);
    W->PnlOutPosUpdate();
    QCOMPARE(W->PnlOut[0].pnlMain->pos(), QPoint(4, 102));
    W->PnlInPosUpdate();
    W->PnlOutPosUpdate();
    QCOMPARE(W->PnlOut[0].pnlMain->pos(), QPoint(4, 156));
    // Fewer inputs later: outputs follow only after the inputs were laid out.
    W->PnlInClear();
    W->PnlOutPosUpdate();
    QCOMPARE(W->PnlOut[0].pnlMain->pos(), QPoint(4, 156));
}

void TstMainDsTiles::resizeLaysOut() {
    TfMainDs* W = fMainDs;
    W->show();
    QVERIFY(QTest::qWaitForWindowExposed(W));
    W->resize(904, 423);
    QTRY_COMPARE(W->scrlbx1->width(), 904);
    for (int N = 1; N <= 8; ++N)
        W->PnlInItemAdd(N);
    for (int N = 1; N <= 12; ++N)
        W->PnlOutItemAdd(N);
    W->PnlInPosUpdate();
    W->PnlOutPosUpdate();
    QCOMPARE(W->PnlIn[3].pnlMain->pos(), QPoint(595, 28));

    W->resize(600, 300);
    // Three to a row now: 595 + 193 > 600.
    QTRY_COMPARE(W->PnlIn[3].pnlMain->pos(), QPoint(4, 80));
    QCOMPARE(W->PnlIn[6].pnlMain->pos(), QPoint(4, 132));
    QCOMPARE(W->PnlOut[0].pnlMain->pos(), QPoint(4, 208));
    QCOMPARE(W->PnlOut[11].pnlMain->pos(), QPoint(398, 364));
    // Taller than the viewport: the client grows so the box scrolls to the last tile.
    QVERIFY(W->scrlbx1Client->rect().contains(W->PnlOut[11].pnlMain->geometry()));
    QVERIFY(W->scrlbx1Client->height() > W->scrlbx1->viewport()->height());
}

void TstMainDsTiles::names_data() {
    QTest::addColumn<bool>("output");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("shown");
    QTest::newRow("input 1 default") << false << 0 << QString() << true << "Input 1";
    QTest::newRow("input 3 default") << false << 2 << QString() << true << "Input 3";
    QTest::newRow("output 5 default") << true << 4 << QString() << true << "Output 5";
    QTest::newRow("named") << true << 1 << QStringLiteral("Čerpadlo") << true << "Čerpadlo";
    QTest::newRow("index -1") << false << -1 << QStringLiteral("x") << false << "";
    QTest::newRow("index = count") << true << 5 << QStringLiteral("x") << false << "";
}

void TstMainDsTiles::names() {
    QFETCH(bool, output);
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(bool, result);
    QFETCH(QString, shown);
    TfMainDs* W = fMainDs;
    for (int N = 1; N <= 5; ++N) {
        W->PnlInItemAdd(N);
        W->PnlOutItemAdd(N);
    }
    const bool Got = output ? W->PnlOutSetName(index, name) : W->PnlInSetName(index, name);
    QCOMPARE(Got, result);
    if (result) {
        const QLabel* L = output ? W->PnlOut[index].lblName : W->PnlIn[index].lblName;
        QCOMPARE(L->text(), shown);
        QVERIFY(L->font().bold());
        QCOMPARE(L->font().pointSize(), 10);
        QCOMPARE(L->foregroundRole(), QPalette::WindowText);
        // Sized to the text, not cut.
        QCOMPARE(L->width(), L->sizeHint().width());
    } else {
        for (const TPnlIn& T : W->PnlIn)
            QVERIFY(T.lblName->text().isEmpty());
        for (const TPnlOut& T : W->PnlOut)
            QVERIFY(T.lblName->text().isEmpty());
    }
}

void TstMainDsTiles::state_data() {
    QTest::addColumn<bool>("output");
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("disc");
    QTest::addColumn<QString>("number");
    const QColor Red(0xD1, 0x22, 0x2A), Orange(0xE7, 0x99, 0x4A), Grey(0xC0, 0xC0, 0xBF);
    QTest::newRow("output 1 orange") << true << 1 << Orange << "1";
    QTest::newRow("output 0 grey") << true << 0 << Grey << "0";
    QTest::newRow("output -1 red") << true << -1 << Red << "-1";
    QTest::newRow("output 2 red") << true << 2 << Red << "2";
    QTest::newRow("input 1 orange") << false << 1 << Orange << "1";
    QTest::newRow("input 0 grey") << false << 0 << Grey << "0";
    QTest::newRow("input -1 red") << false << -1 << Red << "-1";
}

void TstMainDsTiles::state() {
    QFETCH(bool, output);
    QFETCH(int, state);
    QFETCH(QColor, disc);
    QFETCH(QString, number);
    TfMainDs* W = fMainDs;
    W->PnlInItemAdd(1);
    W->PnlOutItemAdd(1);
    const QLabel* Img = output ? W->PnlOut[0].imgStt : W->PnlIn[0].imgStt;
    const QLabel* Stt = output ? W->PnlOut[0].lblStt : W->PnlIn[0].lblStt;
    QVERIFY(Img->pixmap().isNull());
    QVERIFY(Stt->text().isEmpty());

    if (output)
        W->PnlOutSetColor(0, state);
    else
        W->PnlInSetColor(0, state);

    QCOMPARE(Stt->text(), number);
    QCOMPARE(Stt->palette().color(Stt->foregroundRole()), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(Stt->font().pointSize(), 8);
    const QImage P = Picture(Img);
    QCOMPARE(P.deviceIndependentSize().toSize(), QSize(46, 46));
    QVERIFY2(Near(PixelAt(P, 23, 23), disc), qPrintable(PixelAt(P, 23, 23).name()));
    QVERIFY(Near(PixelAt(P, 15, 30), disc));
    // The disc spans pixels 4..41; the cell around it stays transparent.
    QCOMPARE(PixelAt(P, 0, 0).alpha(), 0);
    QCOMPARE(PixelAt(P, 45, 45).alpha(), 0);
    QCOMPARE(PixelAt(P, 3, 23).alpha(), 0);
    QCOMPARE(PixelAt(P, 42, 23).alpha(), 0);
    QVERIFY(PixelAt(P, 4, 23).alpha() > 200);
    QVERIFY(PixelAt(P, 41, 23).alpha() > 200);
    QVERIFY(PixelAt(P, 23, 4).alpha() > 200);
    // The state number is drawn over the picture's corner, not under it.
    QVERIFY(Img->parentWidget()->children().indexOf(const_cast<QLabel*>(Stt)) >
            Img->parentWidget()->children().indexOf(const_cast<QLabel*>(Img)));
}

void TstMainDsTiles::stateReplacesPicture() {
    TfMainDs* W = fMainDs;
    W->PnlOutItemAdd(1);
    W->PnlOutItemAdd(2);
    W->PnlOutSetColor(0, 1);
    W->PnlOutSetColor(0, 0);
    W->PnlOutSetColor(1, 0);
    QCOMPARE(Picture(W->PnlOut[0].imgStt), Picture(W->PnlOut[1].imgStt));
    W->PnlOutSetColor(0, 7);
    W->PnlOutSetColor(1, 7);
    QCOMPARE(Picture(W->PnlOut[0].imgStt), Picture(W->PnlOut[1].imgStt));
    QCOMPARE(W->PnlOut[0].lblStt->text(), QStringLiteral("7"));

    // Out of range: nothing changes and nothing fails.
    W->PnlOutSetColor(2, 1);
    W->PnlOutSetColor(-1, 1);
    W->PnlInSetColor(0, 1);
    QCOMPARE(W->PnlOut[0].lblStt->text(), QStringLiteral("7"));
}

void TstMainDsTiles::pictureList() {
    const QList<QPixmap>& L = fMainDs->il1;
    QCOMPARE(L.size(), 10);
    for (const QPixmap& P : L) {
        QCOMPARE(P.deviceIndependentSize().toSize(), QSize(48, 48));
        QVERIFY(P.hasAlphaChannel());
        QCOMPARE(PixelAt(P.toImage(), 0, 0).alpha(), 0);
    }
    const QColor Green = PixelAt(L[0].toImage(), 24, 24);
    QVERIFY(Green.green() > 2 * Green.red() && Green.green() > 2 * Green.blue());
    // Each symbol draws something of its own.
    for (int I = 4; I < 10; ++I) {
        QVERIFY(L[I].toImage() != QPixmap(L[I].size()).toImage());
        for (int J = I + 1; J < 10; ++J)
            QVERIFY(L[I].toImage() != L[J].toImage());
    }
}

void TstMainDsTiles::clearAndReAdd() {
    TfMainDs* W = fMainDs;
    const qsizetype Before = TileArea(W).size();
    for (int N = 1; N <= 3; ++N) {
        W->PnlInItemAdd(N);
        W->PnlOutItemAdd(N);
    }
    QCOMPARE(TileArea(W).size(), Before + 6);
    W->PnlInClear();
    QCOMPARE(W->PnlIn.size(), 0);
    QCOMPARE(TileArea(W).size(), Before + 3);
    W->PnlOutClear();
    QCOMPARE(W->PnlOut.size(), 0);
    QCOMPARE(TileArea(W).size(), Before);
    QVERIFY(!W->lblInputs->isHidden());
    QVERIFY(TileArea(W).contains(W->pnlIn));
    QVERIFY(TileArea(W).contains(W->pnlOut));

    W->PnlOutItemAdd(1);
    QCOMPARE(W->PnlOut.size(), 1);
    QCOMPARE(W->PnlOut[0].btnOn->property("Tag").toInt(), 1);
    QVERIFY(W->PnlOutSetName(0, QString()));
    QCOMPARE(W->PnlOut[0].lblName->text(), QStringLiteral("Output 1"));
    QVERIFY(!W->PnlOutSetName(1, QString()));

    // An add of an existing number changes nothing; the next one adds one tile.
    QFrame* First = W->PnlOut[0].pnlMain;
    W->PnlOutItemAdd(1);
    QCOMPARE(W->PnlOut.size(), 1);
    QCOMPARE(W->PnlOut[0].pnlMain, First);
    W->PnlOutItemAdd(2);
    QCOMPARE(W->PnlOut.size(), 2);
    QCOMPARE(W->PnlOut[0].pnlMain, First);
    QCOMPARE(TileArea(W).size(), Before + 2);
}

void TstMainDsTiles::startClears() {
    TfMainDs* W = fMainDs;
    const qsizetype Before = TileArea(W).size();
    W->PnlInItemAdd(1);
    W->PnlOutItemAdd(1);
    W->btnTrackSwClick();
    QVERIFY(MonitorState.Tracking);
    QVERIFY(W->PnlIn.isEmpty());
    QVERIFY(W->PnlOut.isEmpty());
    QCOMPARE(TileArea(W).size(), Before);
    // Stop leaves the tiles standing.
    W->PnlInItemAdd(1);
    W->btnTrackSwClick();
    QVERIFY(!MonitorState.Tracking);
    QCOMPARE(W->PnlIn.size(), 1);
    QCOMPARE(TileArea(W).size(), Before + 1);
}

void TstMainDsTiles::buttons() {
    TfMainDs* W = fMainDs;
    for (int N = 1; N <= 3; ++N)
        W->PnlOutItemAdd(N);
    for (int I = 0; I < 3; ++I) {
        const TPnlOut& T = W->PnlOut[I];
        QCOMPARE(T.btnOn->property("Tag").toInt(), I + 1);
        QCOMPARE(T.btnOff->property("Tag").toInt(), I + 1);
        QCOMPARE(T.btnOn->text(), QStringLiteral("On"));
        QCOMPARE(T.btnOff->text(), QStringLiteral("Off"));
        QCOMPARE(T.btnOn->geometry(), QRect(92, 22, 41, 22));
        QCOMPARE(T.btnOff->geometry(), QRect(139, 22, 42, 22));
        QCOMPARE(T.pnlMain->size(), QSize(193, 48));
        QCOMPARE(T.imgStt->geometry(), QRect(1, 1, 46, 46));
        QCOMPARE(T.lblName->pos(), QPoint(52, 2));
        QCOMPARE(T.lblStt->pos(), QPoint(1, 1));
        QVERIFY(T.pnlMain->autoFillBackground());
    }
    QCOMPARE(W->btnOn->property("Tag").toInt(), 0);
    QCOMPARE(W->btnOff->property("Tag").toInt(), 0);

    // A click reaches the output handler with its own tile's number.
    MonitorState.Tracking = true;
    MonitorState.DevMode = 0;
    MonitorState.OutSet = TTarvoIOArray{false, false, false};
    W->PnlOut[1].btnOn->click();
    QCOMPARE(MonitorState.OutSet, (TTarvoIOArray{false, true, false}));
    W->PnlOut[2].btnOn->click();
    W->PnlOut[1].btnOff->click();
    QCOMPARE(MonitorState.OutSet, (TTarvoIOArray{false, false, true}));
}

void TstMainDsTiles::skippedAdd() {
    TfMainDs* W = fMainDs;
    W->PnlInItemAdd(3);
    W->PnlOutItemAdd(2);
    QCOMPARE(W->PnlIn.size(), 3);
    QCOMPARE(W->PnlOut.size(), 2);
    QVERIFY(W->PnlIn[0].pnlMain == nullptr && W->PnlIn[1].pnlMain == nullptr);
    QVERIFY(W->PnlIn[2].pnlMain != nullptr);
    QVERIFY(W->PnlOut[0].btnOn == nullptr);
    QCOMPARE(W->PnlOut[1].btnOn->property("Tag").toInt(), 2);

    // Every operation copes with the tiles that have no controls.
    QVERIFY(W->PnlInSetName(0, QStringLiteral("a")));
    QVERIFY(W->PnlOutSetName(0, QString()));
    W->PnlInSetColor(1, 1);
    W->PnlOutSetColor(0, 0);
    QVERIFY(W->PnlInSetName(2, QString()));
    QCOMPARE(W->PnlIn[2].lblName->text(), QStringLiteral("Input 3"));
    W->PnlInSetColor(2, 1);
    QCOMPARE(W->PnlIn[2].lblStt->text(), QStringLiteral("1"));

    // Numbers keep their grid places.
    W->PnlInPosUpdate();
    W->PnlOutPosUpdate();
    QCOMPARE(W->PnlIn[2].pnlMain->pos(), QPoint(398, 28));
    QCOMPARE(W->PnlOut[1].pnlMain->pos(), QPoint(201, 104));

    // Filling a gap later is not possible: the array already covers it.
    W->PnlInItemAdd(1);
    QVERIFY(W->PnlIn[0].pnlMain == nullptr);

    // Zero and negative numbers add nothing.
    W->PnlOutItemAdd(0);
    W->PnlOutItemAdd(-4);
    QCOMPARE(W->PnlOut.size(), 2);

    W->PnlInClear();
    W->PnlOutClear();
    QVERIFY(W->PnlIn.isEmpty() && W->PnlOut.isEmpty());
}

QTEST_MAIN(TstMainDsTiles)
#include "tst_uMainDsTiles.moc"
