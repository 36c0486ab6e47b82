#pragma once

#include "FakeModuleState.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <functional>

class QTcpServer;
class QTcpSocket;

// The Orvane side of a simulated module: a TCP server (127.0.0.1 unless told) that answers
// requests of frame format 97 from a shared module state, with switches for the
// faults a real line shows.
class TFakeOrvaneModule : public QObject {
    Q_OBJECT

public:
    explicit TFakeOrvaneModule(TFakeModuleState* State, QObject* Parent = nullptr);
    ~TFakeOrvaneModule() override;

    // Port 0 picks a free one. Also stores the port in the state.
    bool Listen(quint16 Port = 0,
                const QHostAddress& Address = QHostAddress(QHostAddress::LocalHost));
    QString ErrorString() const;
    // Stops accepting; connections made before stay. A later connect is refused.
    void StopListening();
    bool IsListening() const;
    quint16 Port() const { return ListenPort; }

    // Closes every client connection from the module's side.
    void CloseClients();
    int ClientCount() const { return static_cast<int>(Clients.size()); }
    // Connections accepted since construction.
    int ConnectionCount() const { return Accepted; }

    // false: requests are recorded but never answered.
    void SetAnswering(bool On) { Answering = On; }
    // Answers go out in pieces of this many bytes, one piece per event-loop pass;
    // 0 sends each answer whole.
    void SetPieceSize(int Bytes) { PieceSize = Bytes; }
    // These bytes go out once, just before the next answer (garbage, a broken frame).
    void InjectBeforeNextAnswer(const QByteArray& Bytes) { Inject.append(Bytes); }
    // Answers with this signature carry this acknowledge code and no data (0 clears).
    void SetRefuse(quint8 Sig, quint8 Ack);
    // Writes raw bytes to every client at once.
    void SendRaw(const QByteArray& Bytes);

    // Every frame received, in order, as it came on the wire.
    const QList<QByteArray>& Received() const { return Frames; }
    // The received frames with this signature.
    QList<QByteArray> ReceivedWithSig(quint8 Sig) const;
    void ClearReceived() { Frames.clear(); }

    // Quiet unless a log callback is given.
    void SetLog(std::function<void(const QString&)> Log) { LogFn = std::move(Log); }

    // The answer a module gives: address 0x31, the request's signature.
    static QByteArray AnswerFrame(quint8 Sig, quint8 Ack, const QByteArray& Data);
    // Big-endian bit field: the last byte holds numbers 1 to 8.
    static QByteArray BitField(const TTarvoIOArray& Arr);

signals:
    void FrameReceived(const QByteArray& Frame);
    void ClientConnected();
    void ClientDisconnected();

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* Client);
    void HandleFrame(QTcpSocket* Client, const QByteArray& Frame);
    QByteArray AnswerData(quint8 Sig, quint8 Inst, const QByteArray& Data, quint8& Ack);
    void Write(QTcpSocket* Client, const QByteArray& Bytes);
    void WritePiece(QTcpSocket* Client);
    void Log(const QString& S) const;

    TFakeModuleState* State;
    QTcpServer* Server = nullptr;
    quint16 ListenPort = 0;
    QList<QTcpSocket*> Clients;
    QHash<QTcpSocket*, QByteArray> RxBufs;
    QHash<QTcpSocket*, QByteArray> TxPending;
    QHash<quint8, quint8> Refused;
    QList<QByteArray> Frames;
    QByteArray Inject;
    bool Answering = true;
    int PieceSize = 0;
    int Accepted = 0;
    std::function<void(const QString&)> LogFn;
};
