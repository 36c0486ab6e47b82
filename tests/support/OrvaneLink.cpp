#include "OrvaneLink.h"

#include "uMainDs.h"
#include "uOrvane97.h"

#include "uDebug.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

void MakeTiles(int Inputs, int Outputs) {
    for (int N = 1; N <= Inputs; ++N)
        fMainDs->PnlInItemAdd(N);
    for (int N = 1; N <= Outputs; ++N)
        fMainDs->PnlOutItemAdd(N);
}

QStringList DebugLines() {
    QStringList Lines;
    for (int I = 0; I < fDebug->lst1->count(); ++I) {
        const QString Line = fDebug->lst1->item(I)->text();
        Lines.append(Line.mid(Line.indexOf(u' ') + 1));
    }
    return Lines;
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
