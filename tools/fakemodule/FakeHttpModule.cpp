#include "FakeHttpModule.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <utility>

namespace {

constexpr qsizetype MaxHeadBytes = 64 * 1024;

QString Esc(QString S) {
    S.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    S.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    S.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    S.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return S;
}

QByteArray Reason(int Status) {
    switch (Status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

TFakeHttpModule::TFakeHttpModule(TFakeModuleState* State, QObject* Parent)
    : QObject(Parent), State(State), Server(new QTcpServer(this)) {
    connect(Server, &QTcpServer::newConnection, this, &TFakeHttpModule::OnNewConnection);
}

TFakeHttpModule::~TFakeHttpModule() {
    Close();
}

bool TFakeHttpModule::Listen(const QHostAddress& Address, quint16 Port) {
    return Server->listen(Address, Port);
}

void TFakeHttpModule::Close() {
    Server->close();
    // Aborting emits disconnected, whose handler edits Sockets.
    const QList<QPointer<QTcpSocket>> Open = std::exchange(Sockets, {});
    for (const QPointer<QTcpSocket>& S : Open) {
        if (S) {
            S->abort();
            S->deleteLater();
        }
    }
    Sockets.clear();
    Pending.clear();
}

bool TFakeHttpModule::IsListening() const {
    return Server->isListening();
}

quint16 TFakeHttpModule::Port() const {
    return Server->serverPort();
}

QString TFakeHttpModule::HostPort() const {
    return Server->serverAddress().toString() + QLatin1Char(':') + QString::number(Port());
}

QString TFakeHttpModule::ErrorString() const {
    return Server->errorString();
}

void TFakeHttpModule::SetAnswer(const QString& Path, const TFakeHttpAnswer& Answer) {
    Answers.insert(Path, Answer);
}

TFakeHttpAnswer TFakeHttpModule::AnswerFor(const QString& Path) const {
    return Answers.value(Path, TFakeHttpAnswer{});
}

void TFakeHttpModule::QueueAnswer(const QString& Path, const TFakeHttpAnswer& Answer, int Times) {
    for (int I = 0; I < Times; ++I)
        Queued[Path].append(Answer);
}

void TFakeHttpModule::SetStatus(const QString& Path, int Code, int Times) {
    TFakeHttpAnswer A = AnswerFor(Path);
    A.Kind = TFakeHttpAnswer::Reply;
    A.Status = Code;
    if (Times < 0)
        SetAnswer(Path, A);
    else
        QueueAnswer(Path, A, Times);
}

void TFakeHttpModule::SetHang(const QString& Path, int Times) {
    TFakeHttpAnswer A = AnswerFor(Path);
    A.Kind = TFakeHttpAnswer::Hang;
    if (Times < 0)
        SetAnswer(Path, A);
    else
        QueueAnswer(Path, A, Times);
}

void TFakeHttpModule::SetDrop(const QString& Path, int Times) {
    TFakeHttpAnswer A = AnswerFor(Path);
    A.Kind = TFakeHttpAnswer::Drop;
    if (Times < 0)
        SetAnswer(Path, A);
    else
        QueueAnswer(Path, A, Times);
}

void TFakeHttpModule::SetDelay(const QString& Path, int Ms) {
    TFakeHttpAnswer A = AnswerFor(Path);
    A.DelayMs = Ms;
    SetAnswer(Path, A);
}

void TFakeHttpModule::SetBody(const QString& Path, const QString& Text) {
    TFakeHttpAnswer A = AnswerFor(Path);
    A.Body = Text.toUtf8();
    SetAnswer(Path, A);
}

void TFakeHttpModule::ClearAnswers() {
    Answers.clear();
    Queued.clear();
}

QStringList TFakeHttpModule::Targets() const {
    QStringList L;
    for (const TFakeHttpRequest& R : Received)
        L.append(R.Target());
    return L;
}

int TFakeHttpModule::RequestCount(const QString& Path) const {
    if (Path.isEmpty())
        return static_cast<int>(Received.size());
    int N = 0;
    for (const TFakeHttpRequest& R : Received)
        N += R.Path == Path ? 1 : 0;
    return N;
}

QString TFakeHttpModule::InName(const TFakeModuleState& S, int Index) {
    return Index < S.InNames.size() ? S.InNames[Index] : QStringLiteral("Input %1").arg(Index + 1);
}

QString TFakeHttpModule::OutName(const TFakeModuleState& S, int Index) {
    return Index < S.OutNames.size() ? S.OutNames[Index]
                                     : QStringLiteral("Output %1").arg(Index + 1);
}

QByteArray TFakeHttpModule::SettingsXml(const TFakeModuleState& S) {
    QString X = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n");
    X += QStringLiteral("<set box=\"1\" mode=\"%1\" lport=\"%2\"/>\r\n")
             .arg(S.Mode)
             .arg(S.OrvanePort);
    X += QStringLiteral("<set box=\"8\" name=\"%1\"/>\r\n").arg(Esc(S.Name));
    X += QStringLiteral("<set box=\"10\">\r\n");
    for (int I = 0; I < S.Inputs.size(); ++I)
        X += QStringLiteral("<item id=\"%1\" name=\"%2\"/>\r\n").arg(I + 1).arg(Esc(InName(S, I)));
    X += QStringLiteral("</set>\r\n<set box=\"11\">\r\n");
    for (int I = 0; I < S.Outputs.size(); ++I)
        X += QStringLiteral("<item id=\"%1\" name=\"%2\"/>\r\n").arg(I + 1).arg(Esc(OutName(S, I)));
    X += QStringLiteral("</set>\r\n");
    X += QStringLiteral("<set box=\"12\" info=\"%1\" sn=\"%2\"/>\r\n")
             .arg(Esc(S.Info), Esc(S.SerialNo));
    X += QStringLiteral("</settings>\r\n");
    return X.toUtf8();
}

QByteArray TFakeHttpModule::FreshXml(const TFakeModuleState& S) {
    QString X = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<fresh>\r\n");
    X +=
        QStringLiteral("<status location=\"%1\" sn=\"%2\"/>\r\n").arg(Esc(S.Name), Esc(S.SerialNo));
    for (int I = 0; I < S.Inputs.size(); ++I)
        X += QStringLiteral("<din id=\"%1\" name=\"%2\" val=\"%3\"/>\r\n")
                 .arg(I + 1)
                 .arg(Esc(InName(S, I)))
                 .arg(S.Inputs[I] ? 1 : 0);
    for (int I = 0; I < S.Outputs.size(); ++I)
        X += QStringLiteral("<dout id=\"%1\" name=\"%2\" val=\"%3\"/>\r\n")
                 .arg(I + 1)
                 .arg(Esc(OutName(S, I)))
                 .arg(S.Outputs[I] ? 1 : 0);
    X += QStringLiteral("</fresh>\r\n");
    return X.toUtf8();
}

void TFakeHttpModule::OnNewConnection() {
    while (QTcpSocket* S = Server->nextPendingConnection()) {
        Sockets.append(S);
        Pending.insert(S, QByteArray());
        connect(S, &QTcpSocket::readyRead, this, [this, S] { OnReadyRead(S); });
        connect(S, &QTcpSocket::disconnected, this, [this, S] {
            Pending.remove(S);
            Sockets.removeAll(S);
            S->deleteLater();
        });
    }
}

void TFakeHttpModule::OnReadyRead(QTcpSocket* Socket) {
    if (!Pending.contains(Socket)) {
        Socket->readAll(); // one request per connection; the rest is ignored
        return;
    }
    QByteArray& Buf = Pending[Socket];
    Buf += Socket->readAll();
    const qsizetype HeadEnd = Buf.indexOf("\r\n\r\n");
    if (HeadEnd < 0) {
        if (Buf.size() > MaxHeadBytes) {
            Pending.remove(Socket);
            Socket->abort();
        }
        return;
    }
    const QList<QByteArray> Lines = Buf.left(HeadEnd).split('\n');
    qsizetype Length = 0;
    for (qsizetype I = 1; I < Lines.size(); ++I) {
        const QByteArray L = Lines[I].trimmed();
        const qsizetype Colon = L.indexOf(':');
        if (Colon > 0 && L.left(Colon).trimmed().toLower() == "content-length")
            Length = L.mid(Colon + 1).trimmed().toLongLong();
    }
    if (Buf.size() < HeadEnd + 4 + Length)
        return;
    const QList<QByteArray> RequestLine = Lines.value(0).trimmed().split(' ');
    TFakeHttpRequest R;
    R.Method = QString::fromLatin1(RequestLine.value(0));
    const QString Target = QString::fromLatin1(RequestLine.value(1));
    const qsizetype Q = Target.indexOf(QLatin1Char('?'));
    R.Path = Q < 0 ? Target : Target.left(Q);
    R.Query = Q < 0 ? QString() : Target.mid(Q + 1);
    R.Body = Buf.mid(HeadEnd + 4, Length);
    Pending.remove(Socket);
    Handle(Socket, R);
}

TFakeHttpAnswer TFakeHttpModule::NextAnswer(const QString& Path) {
    auto It = Queued.find(Path);
    if (It != Queued.end() && !It->isEmpty())
        return It->takeFirst();
    return AnswerFor(Path);
}

void TFakeHttpModule::Handle(QTcpSocket* Socket, const TFakeHttpRequest& Request) {
    Received.append(Request);
    const int PathCount = RequestCount(Request.Path);
    emit RequestReceived(Request);

    if (Request.Path == QLatin1String("/set.xml")) {
        const QUrlQuery Q(Request.Query);
        const QString Type = Q.queryItemValue(QStringLiteral("type"));
        bool Ok = false;
        const int Id = Q.queryItemValue(QStringLiteral("id")).toInt(&Ok);
        if (Ok && Id >= 1 && Id <= State->Outputs.size() &&
            (Type == QLatin1String("s") || Type == QLatin1String("r"))) {
            State->Outputs[Id - 1] = Type == QLatin1String("s");
            emit StateChanged();
        }
    }

    TFakeHttpAnswer A = NextAnswer(Request.Path);
    const bool Known = Request.Path == QLatin1String("/settings.xml") ||
                       Request.Path == QLatin1String("/fresh.xml") ||
                       Request.Path == QLatin1String("/set.xml") ||
                       Answers.contains(Request.Path) || Queued.contains(Request.Path);
    if (!Known)
        A.Status = 404;
    switch (A.Kind) {
    case TFakeHttpAnswer::Hang:
        Log(Request.Method + QLatin1Char(' ') + Request.Target() +
            QStringLiteral(" -> (no answer)"));
        return;
    case TFakeHttpAnswer::Drop:
        Log(Request.Method + QLatin1Char(' ') + Request.Target() + QStringLiteral(" -> (dropped)"));
        Socket->disconnectFromHost();
        return;
    case TFakeHttpAnswer::Reply:
        break;
    }
    if (A.DelayMs <= 0) {
        Respond(Socket, Request, A, PathCount);
        return;
    }
    QPointer<QTcpSocket> Guard(Socket);
    QTimer::singleShot(A.DelayMs, this, [this, Guard, Request, A, PathCount] {
        if (Guard)
            Respond(Guard, Request, A, PathCount);
    });
}

void TFakeHttpModule::Respond(QTcpSocket* Socket, const TFakeHttpRequest& Request,
                              const TFakeHttpAnswer& A, int PathCount) {
    QByteArray Body;
    if (A.Body)
        Body = *A.Body;
    else if (A.Status != 200)
        Body = "<html><body>" + QByteArray::number(A.Status) + ' ' + Reason(A.Status) +
               " (request " + QByteArray::number(PathCount) + ")</body></html>";
    else if (Request.Path == QLatin1String("/settings.xml"))
        Body = SettingsXml(*State);
    else if (Request.Path == QLatin1String("/fresh.xml") ||
             Request.Path == QLatin1String("/set.xml"))
        Body = FreshXml(*State);
    else
        Body = "<html><body>200 OK</body></html>"; // a path the test set up without a body

    QByteArray Head = "HTTP/1.1 " + QByteArray::number(A.Status) + ' ' + Reason(A.Status) + "\r\n";
    if (!A.ContentType.isEmpty())
        Head += "Content-Type: " + A.ContentType + "\r\n";
    if (A.SendLength)
        Head += "Content-Length: " + QByteArray::number(Body.size()) + "\r\n";
    Head += "Connection: close\r\n\r\n";
    Socket->write(Head);
    Socket->write(Body);
    Socket->disconnectFromHost();
    Log(Request.Method + QLatin1Char(' ') + Request.Target() + QStringLiteral(" -> ") +
        QString::number(A.Status));
}

void TFakeHttpModule::Log(const QString& S) const {
    if (LogProc)
        LogProc(S);
}
