#pragma once

#include "FakeModuleState.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;

// How one request for a path is answered.
struct TFakeHttpAnswer {
    enum TKind {
        Reply, // answer after DelayMs
        Hang,  // keep the connection open and never answer
        Drop   // close the connection without a word
    };
    TKind Kind = Reply;
    int Status = 200;
    int DelayMs = 0;
    // Instead of the module's document (status 200) or a short error page.
    std::optional<QByteArray> Body;
    QByteArray ContentType = "text/xml";
    // Without Content-Length the body simply ends when the connection closes.
    bool SendLength = true;
};

// One request as the module received it.
struct TFakeHttpRequest {
    QString Method;
    QString Path;  // "/set.xml"
    QString Query; // "type=s&id=3", without '?'
    QByteArray Body;
    QString Target() const { return Query.isEmpty() ? Path : Path + QLatin1Char('?') + Query; }
};

// The web side of a fake Tarvo module: a small HTTP/1.1 server that serves
// /settings.xml, /fresh.xml and /set.xml from a TFakeModuleState. Every path
// can be made to answer other text or status codes, to wait, to hang or to
// drop the connection, for every request or for the next few only. Lives on
// the thread that creates it and needs that thread's event loop.
class TFakeHttpModule : public QObject {
    Q_OBJECT

public:
    // State is not owned and must outlive the module.
    explicit TFakeHttpModule(TFakeModuleState* State, QObject* Parent = nullptr);
    ~TFakeHttpModule() override;

    // Port 0 picks a free port.
    bool Listen(const QHostAddress& Address = QHostAddress(QHostAddress::LocalHost),
                quint16 Port = 0);
    // Stops listening and closes every connection, hanging ones included.
    void Close();
    bool IsListening() const;
    quint16 Port() const;
    // "127.0.0.1:port": the text for the program's address field.
    QString HostPort() const;
    QString ErrorString() const;

    // Every later request for Path (e.g. "/fresh.xml").
    void SetAnswer(const QString& Path, const TFakeHttpAnswer& Answer);
    TFakeHttpAnswer AnswerFor(const QString& Path) const;
    // The next Times requests for Path, before the path's usual answer.
    void QueueAnswer(const QString& Path, const TFakeHttpAnswer& Answer, int Times = 1);
    // Shorthands; Times -1 changes the usual answer, else queues Times answers.
    void SetStatus(const QString& Path, int Code, int Times = -1);
    void SetHang(const QString& Path, int Times = -1);
    void SetDrop(const QString& Path, int Times = -1);
    void SetDelay(const QString& Path, int Ms);
    void SetBody(const QString& Path, const QString& Text); // sent as UTF-8
    // Back to the module's documents with status 200 on every path.
    void ClearAnswers();

    QList<TFakeHttpRequest> Requests() const { return Received; }
    // Path + query of every request, in order.
    QStringList Targets() const;
    // Requests for Path, or all requests when Path is empty.
    int RequestCount(const QString& Path = QString()) const;
    void ClearRequests() { Received.clear(); }

    // Receives one line per request and answer; nothing is printed otherwise.
    std::function<void(const QString&)> LogProc;

    // The documents as the module writes them.
    static QByteArray SettingsXml(const TFakeModuleState& S);
    static QByteArray FreshXml(const TFakeModuleState& S);
    static QString InName(const TFakeModuleState& S, int Index);
    static QString OutName(const TFakeModuleState& S, int Index);

signals:
    void RequestReceived(const TFakeHttpRequest& Request);
    // A /set.xml request switched an output.
    void StateChanged();

private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* Socket);
    void Handle(QTcpSocket* Socket, const TFakeHttpRequest& Request);
    void Respond(QTcpSocket* Socket, const TFakeHttpRequest& Request, const TFakeHttpAnswer& A,
                 int PathCount);
    TFakeHttpAnswer NextAnswer(const QString& Path);
    void Log(const QString& S) const;

    TFakeModuleState* State;
    QTcpServer* Server;
    QHash<QString, TFakeHttpAnswer> Answers;
    QHash<QString, QList<TFakeHttpAnswer>> Queued;
    QList<TFakeHttpRequest> Received;
    QHash<QTcpSocket*, QByteArray> Pending;
    QList<QPointer<QTcpSocket>> Sockets;
};
