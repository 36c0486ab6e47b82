#pragma once

#include "uClock.h"
#include "uMonitorState.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QThread>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

class THttpCliThr;
struct THttpCliLink;

// Descriptor of the one web request in flight. The user-interface thread fills
// it and calls Run(); the worker gives the outcome back through it and then
// stores now into the done deadline of GetID.
class TdmHttpCli {
public:
    TdmHttpCli();
    // Abandons a running request and waits briefly for its worker.
    ~TdmHttpCli();
    TdmHttpCli(const TdmHttpCli&) = delete;
    TdmHttpCli& operator=(const TdmHttpCli&) = delete;

    qint32 GetID = 0;
    QString URL;
    QString PostStr;
    TDeadline Start = 0;
    qint32 StatusCode = -1;
    QString ExcErrStr;
    QString Response;
    qint32 Count = 0;
    qint32 Time = 0;
    // Timeout set for each attempt of the request, in order (ms).
    QList<qint32> Touts;

    // The running request, if any, is dropped: its worker stops at its next
    // chance and never writes here nor signals. Every done deadline is
    // disarmed too, since the descriptor is about to hold another request.
    // Returns the GetID of the request that was still running, else 0.
    qint32 Abandon();
    // Hands the descriptor as filled to a new worker. False when the thread
    // could not be started.
    bool Run();
    // No worker thread, current or abandoned, is alive.
    bool Idle();

private:
    void Reap();

    std::shared_ptr<THttpCliLink> Link;
    std::vector<std::unique_ptr<THttpCliThr>> Workers;
};

extern TdmHttpCli* dmHttpCli;

// Result of one request as the worker builds it, before it is published.
struct THttpCliResult {
    qint32 StatusCode = -1;
    QString ExcErrStr;
    QString Response;
    qint32 Count = 0;
    qint32 Time = 0;
    QList<qint32> Touts;
};

// One worker per request: up to 11 attempts, each with a timeout of
// Count x ToutStepMs.
class THttpCliThr : public QThread {
public:
    THttpCliThr(std::shared_ptr<THttpCliLink> Link, quint64 Generation, qint32 GetID,
                const QString& URL, const QString& PostStr);
    ~THttpCliThr() override;

    // Growth of the timeout per attempt; tests shorten it.
    static std::atomic<int> ToutStepMs;
    static constexpr int MaxAttempts = 11;
    static constexpr qint64 MaxResponseBytes = 1024 * 1024;

    // Set when the request was abandoned; read by the transfer callbacks.
    bool Abandoned() const;

protected:
    void run() override { Execute(); }

private:
    void Execute();
    void Attempt();
    void Publish();

    QElapsedTimer Stopwatch;
    qint32 Tout = 0;
    QByteArray StrToSend;
    void* HttpClient = nullptr; // CURL easy handle of the current attempt
    struct THttpResponse {
        QByteArray Body;
        bool TooLarge = false;
    } HttpResponse;

    std::shared_ptr<THttpCliLink> Link;
    const quint64 Generation;
    const qint32 GetID;
    const QString URL;
    const QString PostStr;
    THttpCliResult Result;
};

// Body bytes -> text: the charset of the Content-Type, else the encoding of
// the XML declaration, else UTF-8.
QString HttpBodyText(const QByteArray& Body, const QByteArray& ContentType);

// The done deadline a request of this kind signals; null for an unknown kind.
TDoneDeadline* DoneDeadline(qint32 GetID);
