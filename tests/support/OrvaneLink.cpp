#include "OrvaneLink.h"

#include "uMainDs.h"
#include "uOrvane97.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

namespace {

template <typename T> void FillTile(T& Tile, QWidget* Parent) {
    Tile.pnlMain = new QFrame(Parent);
    Tile.imgStt = new QLabel(Tile.pnlMain);
    Tile.lblName = new QLabel(Tile.pnlMain);
    Tile.lblStt = new QLabel(Tile.pnlMain);
}

} // namespace

void MakeTiles(int Inputs, int Outputs) {
    TfMainDs* W = fMainDs;
    for (int N = 1; N <= Inputs; ++N)
        W->PnlInItemAdd(N);
    for (int N = 1; N <= Outputs; ++N)
        W->PnlOutItemAdd(N);
    while (W->PnlIn.size() < Inputs) {
        TPnlIn Tile;
        FillTile(Tile, W->scrlbx1Client);
        W->PnlIn.append(Tile);
    }
    while (W->PnlOut.size() < Outputs) {
        TPnlOut Tile;
        FillTile(Tile, W->scrlbx1Client);
        const int No = static_cast<int>(W->PnlOut.size()) + 1;
        Tile.btnOn = new QPushButton(QStringLiteral("On"), Tile.pnlMain);
        Tile.btnOn->setProperty("Tag", No);
        Tile.btnOff = new QPushButton(QStringLiteral("Off"), Tile.pnlMain);
        Tile.btnOff->setProperty("Tag", No);
        W->PnlOut.append(Tile);
    }
}

QString Bits(const TTarvoIOArray& Arr) {
    QString S;
    for (bool B : Arr)
        S.append(B ? u'1' : u'0');
    return S;
}

TTarvoIOArray ToArray(const QString& Bits) {
    TTarvoIOArray Arr;
    for (QChar C : Bits)
        Arr.append(C == u'1');
    return Arr;
}

QByteArray Answer(quint8 Sig, quint8 Ack, const QByteArray& Data) {
    return FrameBuild(0x31, Sig, Ack, Data);
}

TOrvaneLink::TOrvaneLink(int Inputs, int Outputs) {
    State.Inputs.resize(Inputs);
    State.Outputs.resize(Outputs);
    for (int I = 1; I <= Inputs; ++I)
        State.InNames.append(QStringLiteral("In %1").arg(I));
    for (int I = 1; I <= Outputs; ++I)
        State.OutNames.append(QStringLiteral("Out %1").arg(I));
    Module.Listen();
}

void TOrvaneLink::Aim() {
    fMainDs->edtIpAdr->setText(QStringLiteral("127.0.0.1"));
    MonitorState.OrvPort = Module.Port();
}

bool TOrvaneLink::Open() {
    Aim();
    return fMainDs->SockCliOrvOn() && WaitConnected();
}

bool TOrvaneLink::WaitConnected(int Ms) const {
    return QTest::qWaitFor([] { return fMainDs->SockCliActive(); }, Ms);
}

bool TOrvaneLink::WaitRx(int Ms) const {
    return QTest::qWaitFor([] { return MonitorState.RxFlag; }, Ms);
}

bool TOrvaneLink::WaitFrames(int N, int Ms) const {
    return QTest::qWaitFor([this, N] { return Module.Received().size() >= N; }, Ms);
}
