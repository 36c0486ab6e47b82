// Input and output tiles: created from the hidden templates' geometry, laid out
// left to right in rows that wrap at the scroll box's width.
#include "uMainDs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

constexpr int Il1Size = 48;
constexpr int Il1Count = 10;

enum : int { PicRed = 1, PicOrange = 2, PicGrey = 3 };

// Entries 4..9: small symbols no tile uses.
void DrawSymbol(QPainter& P, int Entry) {
    const QColor Ink(0x40, 0x40, 0x40);
    P.setPen(QPen(Ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    P.setBrush(Ink);
    switch (Entry) {
    case 4: // plus
        P.drawLine(QPointF(14, 24), QPointF(34, 24));
        P.drawLine(QPointF(24, 14), QPointF(24, 34));
        break;
    case 5: // minus
        P.drawLine(QPointF(14, 24), QPointF(34, 24));
        break;
    case 6: // cross
        P.drawLine(QPointF(16, 16), QPointF(32, 32));
        P.drawLine(QPointF(32, 16), QPointF(16, 32));
        break;
    case 7: // check mark
        P.setBrush(Qt::NoBrush);
        P.drawPolyline(QPolygonF{QPointF(14, 25), QPointF(21, 32), QPointF(34, 17)});
        break;
    case 8: // triangle up
        P.setPen(Qt::NoPen);
        P.drawPolygon(QPolygonF{QPointF(24, 13), QPointF(35, 33), QPointF(13, 33)});
        break;
    default: // triangle down
        P.setPen(Qt::NoPen);
        P.drawPolygon(QPolygonF{QPointF(13, 15), QPointF(35, 15), QPointF(24, 35)});
        break;
    }
}

QPixmap Il1Picture(int Entry, qreal Dpr) {
    QPixmap Pm(QSize(Il1Size, Il1Size) * Dpr);
    Pm.setDevicePixelRatio(Dpr);
    Pm.fill(Qt::transparent);
    QPainter P(&Pm);
    P.setRenderHint(QPainter::Antialiasing);
    static const QColor Discs[4] = {QColor(0x3C, 0xB0, 0x43), QColor(0xD1, 0x22, 0x2A),
                                    QColor(0xE7, 0x99, 0x4A), QColor(0xC0, 0xC0, 0xBF)};
    if (Entry < 4) {
        // 38-pixel disc over pixels 4..41; a slightly darker rim keeps it
        // distinct on the button-face tile.
        const QColor Fill = Discs[Entry];
        P.setPen(Qt::NoPen);
        P.setBrush(Fill);
        P.drawEllipse(QRectF(4, 4, 38, 38));
        P.setPen(QPen(Fill.darker(125), 1));
        P.setBrush(Qt::NoBrush);
        P.drawEllipse(QRectF(4.5, 4.5, 37, 37));
    } else {
        DrawSymbol(P, Entry);
    }
    return Pm;
}

// The sharpest screen decides: a picture scaled down stays crisp, one scaled up does not.
qreal PictureDpr() {
    qreal Dpr = 1.0;
    for (const QScreen* S : QGuiApplication::screens())
        Dpr = qMax(Dpr, S->devicePixelRatio());
    return Dpr;
}

int PictureFor(int C) {
    if (C == 0)
        return PicGrey;
    if (C == 1)
        return PicOrange;
    return PicRed;
}

QFont TileFont(const QWidget* Panel, qreal PointSize, bool Bold) {
    QFont F = Panel->font();
    F.setFamily(QStringLiteral("Segoe UI"));
    F.setPointSizeF(PointSize);
    F.setBold(Bold);
    return F;
}

// The four controls every tile has; returns them through the references.
void MakeTile(TfMainDs* W, const QFrame* TplPanel, const QLabel* TplImg, const QLabel* TplName,
              const QLabel* TplStt, QFrame*& Panel, QLabel*& Img, QLabel*& Name, QLabel*& Stt) {
    Panel = new QFrame(W->scrlbx1Client);
    Panel->setFrameShape(QFrame::Panel);
    Panel->setFrameShadow(QFrame::Raised);
    Panel->setLineWidth(1);
    Panel->setBackgroundRole(QPalette::Button);
    Panel->setAutoFillBackground(true);
    Panel->setGeometry(0, 0, TplPanel->width(), TplPanel->height());

    Img = new QLabel(Panel);
    Img->setGeometry(TplImg->geometry());

    Name = new QLabel(Panel);
    Name->setFont(TileFont(Panel, 10, true));
    Name->setForegroundRole(QPalette::WindowText);
    Name->move(TplName->pos());
    Name->adjustSize();

    // Created after the picture, so it stands over the picture's corner.
    Stt = new QLabel(Panel);
    Stt->setFont(TileFont(Panel, 8, false));
    QPalette Pal = Stt->palette();
    Pal.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    Stt->setPalette(Pal);
    // On a button-face parent a label would otherwise take the button text colour.
    Stt->setForegroundRole(QPalette::WindowText);
    Stt->move(TplStt->pos());
    Stt->adjustSize();

    Panel->show();
}

QPushButton* MakeButton(TfMainDs* W, QFrame* Panel, const QPushButton* Tpl, int N,
                        void (TfMainDs::*Handler)(QObject*)) {
    auto* B = new QPushButton(Tpl->text(), Panel);
    B->setGeometry(Tpl->geometry());
    B->setProperty("Tag", N);
    QObject::connect(B, &QPushButton::clicked, W, [W, B, Handler] { (W->*Handler)(B); });
    B->show();
    return B;
}

void SetName(QLabel* Name, const QString& Default, int N, const QString& S) {
    if (!Name)
        return;
    Name->setText(S.isEmpty() ? Default + QString::number(N + 1) : S);
    Name->adjustSize();
}

void SetColor(TfMainDs* W, QLabel* Img, QLabel* Stt, const QLabel* TplImg, int C) {
    if (!Img || !Stt)
        return;
    const QPixmap& Src = W->il1.value(PictureFor(C));
    const qreal Dpr = Src.isNull() ? 1.0 : Src.devicePixelRatio();
    // A fresh, fully transparent picture: nothing of the previous disc survives.
    QPixmap Pm(TplImg->size() * Dpr);
    Pm.setDevicePixelRatio(Dpr);
    Pm.fill(Qt::transparent);
    if (!Src.isNull()) {
        QPainter P(&Pm);
        P.drawPixmap(0, 0, Src);
    }
    Img->setPixmap(Pm);
    Stt->setText(QString::number(C));
    Stt->adjustSize();
}

// Places the tiles from (L, T) of the template, wrapping before any tile that
// would cross SW; a tile without controls keeps its place in the grid.
// Returns the number of rows used.
template <typename TTile> int PlaceTiles(const QList<TTile>& Tiles, const QFrame* Tpl, int SW) {
    const int L = Tpl->x();
    const int T = Tpl->y();
    const int W = Tpl->width();
    const int H = Tpl->height();
    int X = L;
    int Y = T;
    int Rows = Tiles.isEmpty() ? 0 : 1;
    for (const TTile& Tile : Tiles) {
        if (X + W > SW) {
            X = L;
            Y += H + L;
            ++Rows;
        }
        if (Tile.pnlMain)
            Tile.pnlMain->move(X, Y);
        X += W + L;
    }
    return Rows;
}

// Grows the scroll box's client to hold every tile, and to at least fill the
// viewport, leaving out room taken by a scroll bar that the content needs.
void FitClient(TfMainDs* W) {
    QRect Content(0, 0, 1, 1);
    for (const QObject* O : W->scrlbx1Client->children()) {
        const auto* C = qobject_cast<const QWidget*>(O);
        if (C && !C->isHidden())
            Content |= C->geometry();
    }
    const int Margin = W->pnlIn->x();
    const int NeedW = Content.right() + 1 + Margin;
    const int NeedH = Content.bottom() + 1 + Margin;

    QSize Avail = W->scrlbx1->maximumViewportSize();
    const int Bar =
        W->scrlbx1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, W->scrlbx1);
    bool VBar = false, HBar = false;
    for (int Pass = 0; Pass < 2; ++Pass) {
        if (!VBar && NeedH > Avail.height()) {
            VBar = true;
            Avail.rwidth() -= Bar;
        }
        if (!HBar && NeedW > Avail.width()) {
            HBar = true;
            Avail.rheight() -= Bar;
        }
    }
    W->scrlbx1Client->resize(qMax(NeedW, Avail.width()), qMax(NeedH, Avail.height()));
}

} // namespace

void TfMainDs::Il1Create() {
    const qreal Dpr = PictureDpr();
    il1.clear();
    for (int I = 0; I < Il1Count; ++I)
        il1.append(Il1Picture(I, Dpr));
}

void TfMainDs::PnlInItemAdd(int N) {
    if (N < 1 || PnlIn.size() >= N)
        return;
    PnlIn.resize(N);
    TPnlIn& T = PnlIn[N - 1];
    MakeTile(this, pnlIn, imgIn, lblInName, lblInStt, T.pnlMain, T.imgStt, T.lblName, T.lblStt);
}

void TfMainDs::PnlOutItemAdd(int N) {
    if (N < 1 || PnlOut.size() >= N)
        return;
    PnlOut.resize(N);
    TPnlOut& T = PnlOut[N - 1];
    MakeTile(this, pnlOut, imgOut, lblOutName, lblOutStt, T.pnlMain, T.imgStt, T.lblName, T.lblStt);
    T.btnOn = MakeButton(this, T.pnlMain, btnOn, N, &TfMainDs::btnOnClick);
    T.btnOff = MakeButton(this, T.pnlMain, btnOff, N, &TfMainDs::btnOffClick);
}

bool TfMainDs::PnlInSetName(int N, const QString& S) {
    if (N < 0 || N >= PnlIn.size())
        return false;
    SetName(PnlIn[N].lblName, QStringLiteral("Input "), N, S);
    return true;
}

bool TfMainDs::PnlOutSetName(int N, const QString& S) {
    if (N < 0 || N >= PnlOut.size())
        return false;
    SetName(PnlOut[N].lblName, QStringLiteral("Output "), N, S);
    return true;
}

void TfMainDs::PnlInSetColor(int N, int C) {
    if (N < 0 || N >= PnlIn.size())
        return;
    SetColor(this, PnlIn[N].imgStt, PnlIn[N].lblStt, imgIn, C);
}

void TfMainDs::PnlOutSetColor(int N, int C) {
    if (N < 0 || N >= PnlOut.size())
        return;
    SetColor(this, PnlOut[N].imgStt, PnlOut[N].lblStt, imgOut, C);
}

// Tiles are never cleared from a signal of their own controls (Start does it),
// so they can go at once.
void TfMainDs::PnlInClear() {
    for (TPnlIn& T : PnlIn)
        delete T.pnlMain;
    PnlIn.clear();
}

void TfMainDs::PnlOutClear() {
    for (TPnlOut& T : PnlOut)
        delete T.pnlMain;
    PnlOut.clear();
}

void TfMainDs::PnlInPosUpdate() {
    lblOutputs->hide();
    const int T = pnlIn->y();
    const int L = pnlIn->x();
    const int H = pnlIn->height();
    const int Rows = PlaceTiles(PnlIn, pnlIn, scrlbx1->width());
    const int Bottom = Rows == 0 ? T : T + Rows * (H + L) - L;
    lblOutputs->move(lblOutputs->x(), lblInputs->y() + Bottom);
    pnlOut->move(pnlOut->x(), T + Bottom);
    lblOutputs->show();
    FitClient(this);
}

void TfMainDs::PnlOutPosUpdate() {
    PlaceTiles(PnlOut, pnlOut, scrlbx1->width());
    FitClient(this);
}
