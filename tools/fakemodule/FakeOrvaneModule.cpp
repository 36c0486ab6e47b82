#include "FakeOrvaneModule.h"

#include "uCodePage.h"
#include "uOrvane97.h"

#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr quint8 ModuleAdr = 0x31;
constexpr int NameWidth = 16;

QByteArray Encode(const QString& Text) {
    QStringEncoder Encoder(DisplayCodePage);
    return Encoder.isValid() ? QByteArray(Encoder.encode(Text)) : Text.toLatin1();
}

// Names are sent blank-padded to a fixed width.
QByteArray NameBytes(const QString& Name) {
    QByteArray Bytes = Encode(Name);
    if (Bytes.size() < NameWidth)
        Bytes.append(QByteArray(NameWidth - Bytes.size(), ' '));
    return Bytes;
}

// Instruction code each signature must carry.
int InstFor(quint8 Sig) {
    switch (Sig) {
    case 1:
        return 0xF3;
    case 4:
        return 0x31;
    case 5:
        return 0x30;
    case 6:
        return 0x20;
    case 7:
        return 0x3B;
    case 8:
        return 0x3A;
    default:
        return -1;
    }
}

} // namespace

TFakeOrvaneModule::TFakeOrvaneModule(TFakeModuleState* State, QObject* Parent)
    : QObject(Parent), State(State) {}

TFakeOrvaneModule::~TFakeOrvaneModule() {
    for (QTcpSocket* C : Clients) {
        C->disconnect(this);
        C->abort();
        delete C;
    }
}

bool TFakeOrvaneModule::Listen(quint16 Port, const QHostAddress& Address) {
    if (!Server) {
        Server = new QTcpServer(this);
        connect(Server, &QTcpServer::newConnection, this, &TFakeOrvaneModule::OnNewConnection);
    }
    if (Server->isListening())
        return true;
    if (!Server->listen(Address, Port)) {
        Log(QStringLiteral("listen failed: ") + Server->errorString());
        return false;
    }
    ListenPort = Server->serverPort();
    if (State)
        State->OrvanePort = ListenPort;
    Log(QStringLiteral("listening on %1:%2").arg(Address.toString()).arg(ListenPort));
    return true;
}

void TFakeOrvaneModule::StopListening() {
    if (Server)
        Server->close();
}

QString TFakeOrvaneModule::ErrorString() const {
    return Server ? Server->errorString() : QString();
}

bool TFakeOrvaneModule::IsListening() const {
    return Server && Server->isListening();
}

void TFakeOrvaneModule::CloseClients() {
    const QList<QTcpSocket*> Copy = Clients;
    for (QTcpSocket* C : Copy)
        C->disconnectFromHost();
}

void TFakeOrvaneModule::SetRefuse(quint8 Sig, quint8 Ack) {
    if (Ack == 0)
        Refused.remove(Sig);
    else
        Refused.insert(Sig, Ack);
}

void TFakeOrvaneModule::SendRaw(const QByteArray& Bytes) {
    for (QTcpSocket* C : Clients) {
        C->write(Bytes);
        C->flush();
    }
}

QList<QByteArray> TFakeOrvaneModule::ReceivedWithSig(quint8 Sig) const {
    QList<QByteArray> Out;
    for (const QByteArray& F : Frames)
        if (F.size() > 5 && static_cast<quint8>(F[5]) == Sig)
            Out.append(F);
    return Out;
}

QByteArray TFakeOrvaneModule::AnswerFrame(quint8 Sig, quint8 Ack, const QByteArray& Data) {
    return FrameBuild(ModuleAdr, Sig, Ack, Data);
}

QByteArray TFakeOrvaneModule::BitField(const TTarvoIOArray& Arr) {
    const qsizetype Bytes = qMax<qsizetype>(1, (Arr.size() + 7) / 8);
    QByteArray Field(Bytes, '\0');
    for (qsizetype I = 0; I < Arr.size(); ++I)
        if (Arr[I])
            Field[Bytes - 1 - I / 8] = static_cast<char>(Field[Bytes - 1 - I / 8] | (1 << (I % 8)));
    return Field;
}

void TFakeOrvaneModule::OnNewConnection() {
    while (QTcpSocket* C = Server->nextPendingConnection()) {
        ++Accepted;
        Clients.append(C);
        connect(C, &QTcpSocket::readyRead, this, [this, C] { OnReadyRead(C); });
        connect(C, &QTcpSocket::disconnected, this, [this, C] {
            Clients.removeOne(C);
            RxBufs.remove(C);
            TxPending.remove(C);
            C->deleteLater();
            Log(QStringLiteral("client gone"));
            emit ClientDisconnected();
        });
        Log(QStringLiteral("client connected"));
        emit ClientConnected();
    }
}

void TFakeOrvaneModule::OnReadyRead(QTcpSocket* Client) {
    QByteArray& Buf = RxBufs[Client];
    Buf.append(Client->readAll());
    for (;;) {
        const qsizetype Start = Buf.indexOf("*a");
        if (Start < 0) {
            Buf = Buf.endsWith('*') ? QByteArray("*") : QByteArray();
            return;
        }
        Buf.remove(0, Start);
        if (Buf.size() < 4)
            return;
        const qsizetype L = static_cast<quint8>(Buf[2]) * 256 + static_cast<quint8>(Buf[3]) + 4;
        if (Buf.size() < L)
            return;
        if (Buf[L - 1] != '\r') {
            Buf.remove(0, 2);
            continue;
        }
        const QByteArray Frame = Buf.left(L);
        Buf.remove(0, L);
        Frames.append(Frame);
        Log(QStringLiteral("rx ") + QString::fromLatin1(Frame.toHex(' ')));
        emit FrameReceived(Frame);
        // The handler may have closed the client.
        if (!Clients.contains(Client))
            return;
        HandleFrame(Client, Frame);
        if (!Clients.contains(Client))
            return;
    }
}

void TFakeOrvaneModule::HandleFrame(QTcpSocket* Client, const QByteArray& Frame) {
    QByteArray Err;
    if (FrameCheck(Err, Frame) != 0)
        return; // a real module ignores a broken request
    TOrvaneFormat97 Rec;
    FrameDecode(Err, Frame, Rec);
    if (!Err.isEmpty() || static_cast<quint8>(Rec.ADR) != ModuleAdr || !Answering)
        return;
    quint8 Ack = 0;
    QByteArray Data = AnswerData(Rec.SIG, Rec.INST_ACK, Rec.DATA, Ack);
    if (Refused.contains(Rec.SIG)) {
        Ack = Refused.value(Rec.SIG);
        Data.clear();
    }
    QByteArray Out = Inject;
    Inject.clear();
    Out.append(AnswerFrame(Rec.SIG, Ack, Data));
    Write(Client, Out);
}

QByteArray TFakeOrvaneModule::AnswerData(quint8 Sig, quint8 Inst, const QByteArray& Data,
                                         quint8& Ack) {
    if (InstFor(Sig) != Inst || !State) {
        Ack = 1;
        return {};
    }
    switch (Sig) {
    case 1:
        return Encode(State->Name + QStringLiteral("; ") + State->Info);
    case 4:
        return BitField(State->Inputs);
    case 6:
        // One command byte per output: bit 7 the state, bits 0 to 6 the number.
        for (char C : Data) {
            const int No = static_cast<quint8>(C) & 0x7F;
            if (No >= 1 && No <= State->Outputs.size())
                State->Outputs[No - 1] = (static_cast<quint8>(C) & 0x80) != 0;
        }
        return BitField(State->Outputs);
    case 5:
        return BitField(State->Outputs);
    case 7:
    case 8: {
        const QStringList& Names = Sig == 7 ? State->InNames : State->OutNames;
        const qsizetype Count = Sig == 7 ? State->Inputs.size() : State->Outputs.size();
        const int No = Data.isEmpty() ? 0 : static_cast<quint8>(Data[0]);
        if (No < 1 || No > Count) {
            Ack = 1;
            return {};
        }
        return QByteArray(1, static_cast<char>(No)) + NameBytes(Names.value(No - 1));
    }
    default:
        Ack = 1;
        return {};
    }
}

void TFakeOrvaneModule::Write(QTcpSocket* Client, const QByteArray& Bytes) {
    Log(QStringLiteral("tx ") + QString::fromLatin1(Bytes.toHex(' ')));
    if (PieceSize <= 0 && !TxPending.contains(Client)) {
        Client->write(Bytes);
        Client->flush();
        return;
    }
    // Behind the pieces still waiting, so answers keep their order.
    const bool Idle = !TxPending.contains(Client);
    TxPending[Client].append(Bytes);
    if (Idle)
        WritePiece(Client);
}

void TFakeOrvaneModule::WritePiece(QTcpSocket* Client) {
    if (!Clients.contains(Client) || !TxPending.contains(Client))
        return;
    QByteArray& Rest = TxPending[Client];
    const qsizetype N = PieceSize > 0 ? PieceSize : Rest.size();
    Client->write(Rest.left(N));
    Client->flush();
    Rest.remove(0, N);
    if (Rest.isEmpty()) {
        TxPending.remove(Client);
        return;
    }
    QTimer::singleShot(1, this, [this, Client] { WritePiece(Client); });
}

void TFakeOrvaneModule::Log(const QString& S) const {
    if (LogFn)
        LogFn(S);
}
