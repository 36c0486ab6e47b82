// Orvane requests: fire and forget; the answer deadline is the only trace.
#include "uMainDs.h"

#include "uDebug.h"
#include "uOrvane97.h"

#include <QTcpSocket>

namespace {

constexpr quint8 ModuleAdr = 0x31;
constexpr qint32 FrameTout = 100;
constexpr qint64 AckTout = 2000;

} // namespace

bool TfMainDs::OrvaneSendT(quint8 Adr, quint8 Sig, quint8 Inst, const QByteArray& Data,
                           qint32 Tout) {
    Q_UNUSED(Tout); // the answer deadline that counts is TmAckTout
    try {
        MonitorState.RxStage.clear();
        const QByteArray Frame = FrameBuild(Adr, Sig, Inst, Data);
        if (Frame.isEmpty())
            return false;
        if (fDebug)
            fDebug->AddHexTxt("Txs", Frame);
        // Nothing goes out without a connection: say so instead of waiting
        // for an answer that cannot come.
        if (!SockCliConnected || SockCli->state() != QAbstractSocket::ConnectedState)
            return false;
        return SockCli->write(Frame) == Frame.size();
    } catch (...) {
        return false;
    }
}

namespace {

bool SendArmed(TfMainDs* W, quint8 Sig, quint8 Inst, const QByteArray& Data) {
    if (!W->OrvaneSendT(ModuleAdr, Sig, Inst, Data, FrameTout))
        return false;
    MonitorState.TmAckTout = Now() + AckTout;
    return true;
}

} // namespace

bool TfMainDs::SendGetInputs() {
    return SendArmed(this, 4, 0x31, {});
}

bool TfMainDs::SendGetOutputs() {
    return SendArmed(this, 5, 0x30, {});
}

bool TfMainDs::SendSetOutputs() {
    const TTarvoIOArray& Set = MonitorState.OutSet;
    // One command byte per output tile at most: the module has no others.
    const qsizetype N = qMin(Set.size(), PnlOut.size());
    QByteArray Data;
    Data.reserve(N);
    for (qsizetype I = 0; I < N; ++I)
        Data.append(static_cast<char>(OutPairByte(static_cast<int>(I + 1), Set[I])));
    return SendArmed(this, 6, 0x20, Data);
}

bool TfMainDs::SendGetInputName(quint8 No) {
    return SendArmed(this, 7, 0x3B, QByteArray(1, char(No)));
}

bool TfMainDs::SendGetOutputName(quint8 No) {
    return SendArmed(this, 8, 0x3A, QByteArray(1, char(No)));
}
