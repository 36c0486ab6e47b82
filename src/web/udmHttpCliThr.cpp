#include "udmHttpCliThr.h"

#include "uMonitorState.h"

#include <QDeadlineTimer>
#include <QStringDecoder>

#include <curl/curl.h>

#include <exception>
#include <mutex>
#include <stdexcept>

TdmHttpCli* dmHttpCli = nullptr;

// What the descriptor and its workers share. A worker may outlive the
// descriptor (program exit), so it reaches the descriptor only through here.
struct THttpCliLink {
    std::mutex Lock;
    // All under Lock:
    quint64 Generation = 0; // request the descriptor belongs to
    bool Running = false;   // that request has not published yet
    qint32 RunningID = 0;
    TdmHttpCli* Owner = nullptr; // null once the descriptor is gone
    // Copy of Generation the transfer callbacks poll without the lock.
    std::atomic<quint64> Current{0};

    void Advance() {
        ++Generation;
        Current.store(Generation, std::memory_order_release);
        Running = false;
        RunningID = 0;
    }
};

namespace {

void HttpGlobalInit() {
    // libcurl's global set-up is not to be repeated per request.
    static const bool Ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(Ready);
}

QByteArray Unquote(QByteArray V) {
    V = V.trimmed();
    if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front())
        V = V.mid(1, V.size() - 2);
    return V.trimmed();
}

QByteArray ContentTypeCharset(const QByteArray& ContentType) {
    const QList<QByteArray> Parts = ContentType.split(';');
    for (qsizetype I = 1; I < Parts.size(); ++I) {
        const QByteArray P = Parts[I].trimmed();
        const qsizetype Eq = P.indexOf('=');
        if (Eq > 0 && P.left(Eq).trimmed().toLower() == "charset")
            return Unquote(P.mid(Eq + 1));
    }
    return {};
}

QByteArray XmlDeclEncoding(const QByteArray& Body) {
    qsizetype From = Body.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (Body.mid(From, 5) != "<?xml")
        return {};
    const qsizetype End = Body.indexOf("?>", From);
    if (End < 0)
        return {};
    const QByteArray Decl = Body.mid(From, End - From);
    qsizetype P = Decl.indexOf("encoding");
    if (P < 0)
        return {};
    P += 8;
    while (P < Decl.size() &&
           (Decl[P] == ' ' || Decl[P] == '\t' || Decl[P] == '\r' || Decl[P] == '\n'))
        ++P;
    if (P >= Decl.size() || Decl[P] != '=')
        return {};
    ++P;
    while (P < Decl.size() && (Decl[P] == ' ' || Decl[P] == '\t'))
        ++P;
    if (P >= Decl.size() || (Decl[P] != '"' && Decl[P] != '\''))
        return {};
    const char Quote = Decl[P];
    const qsizetype Close = Decl.indexOf(Quote, P + 1);
    return Close < 0 ? QByteArray() : Decl.mid(P + 1, Close - P - 1).trimmed();
}

bool DecodeBy(const QByteArray& Name, const QByteArray& Body, QString& Text) {
    if (Name.isEmpty())
        return false;
    QStringDecoder Decoder(Name.constData());
    if (!Decoder.isValid())
        return false;
    Text = Decoder.decode(Body);
    return true;
}

} // namespace

TDoneDeadline* DoneDeadline(qint32 GetID) {
    switch (GetID) {
    case 1:
        return &MonitorState.TmSetXmlDone;
    case 2:
        return &MonitorState.TmFreshDone;
    case 3:
        return &MonitorState.TmPollDone;
    default:
        return nullptr;
    }
}

QString HttpBodyText(const QByteArray& Body, const QByteArray& ContentType) {
    QString Text;
    // An encoding label this build cannot decode falls through to the next rule.
    if (DecodeBy(ContentTypeCharset(ContentType), Body, Text))
        return Text;
    if (DecodeBy(XmlDeclEncoding(Body), Body, Text))
        return Text;
    const auto Bom = QStringConverter::encodingForData(Body);
    QStringDecoder Decoder(Bom ? *Bom : QStringConverter::Utf8);
    return Decoder.decode(Body);
}

// ---------------------------------------------------------------------------

TdmHttpCli::TdmHttpCli() : Link(std::make_shared<THttpCliLink>()) {
    HttpGlobalInit();
    Link->Owner = this;
}

TdmHttpCli::~TdmHttpCli() {
    {
        std::lock_guard<std::mutex> L(Link->Lock);
        Link->Advance();
        Link->Owner = nullptr;
    }
    for (auto& W : Workers) {
        // An abandoned transfer ends at its next progress call, within about a
        // second. Should one ever not, leave it running: it can no longer reach
        // anything but its link, and exit must not hang on it.
        if (W->wait(QDeadlineTimer(3000)))
            W.reset();
        else
            (void)W.release();
    }
}

qint32 TdmHttpCli::Abandon() {
    Reap();
    std::lock_guard<std::mutex> L(Link->Lock);
    const qint32 Was = Link->Running ? Link->RunningID : 0;
    Link->Advance();
    MonitorState.TmSetXmlDone.store(NeverTime);
    MonitorState.TmFreshDone.store(NeverTime);
    MonitorState.TmPollDone.store(NeverTime);
    return Was;
}

bool TdmHttpCli::Run() {
    Reap();
    Touts.clear();
    quint64 Generation = 0;
    {
        std::lock_guard<std::mutex> L(Link->Lock);
        Link->Advance();
        Link->Running = true;
        Link->RunningID = GetID;
        Generation = Link->Generation;
    }
    auto W = std::make_unique<THttpCliThr>(Link, Generation, GetID, URL, PostStr);
    W->start();
    if (!W->isRunning() && !W->isFinished()) {
        std::lock_guard<std::mutex> L(Link->Lock);
        Link->Advance();
        return false;
    }
    Workers.push_back(std::move(W));
    return true;
}

bool TdmHttpCli::Idle() {
    Reap();
    return Workers.empty();
}

void TdmHttpCli::Reap() {
    std::erase_if(Workers, [](const std::unique_ptr<THttpCliThr>& W) {
        if (!W->isFinished())
            return false;
        W->wait();
        return true;
    });
}

// ---------------------------------------------------------------------------

std::atomic<int> THttpCliThr::ToutStepMs{4000};

THttpCliThr::THttpCliThr(std::shared_ptr<THttpCliLink> Link, quint64 Generation, qint32 GetID,
                         const QString& URL, const QString& PostStr)
    : Link(std::move(Link)), Generation(Generation), GetID(GetID), URL(URL), PostStr(PostStr) {}

THttpCliThr::~THttpCliThr() = default;

bool THttpCliThr::Abandoned() const {
    return Link->Current.load(std::memory_order_acquire) != Generation;
}

void THttpCliThr::Execute() {
    Result.Count = 0;
    for (;;) {
        if (Abandoned())
            return;
        Attempt();
        if ((Result.StatusCode == 200 && Result.ExcErrStr.isEmpty()) || Result.Count >= MaxAttempts)
            break;
    }
    Publish();
}

void THttpCliThr::Attempt() {
    ++Result.Count;
    Stopwatch.start();
    Result.StatusCode = -1;
    Result.ExcErrStr.clear();
    HttpResponse = {};
    char ErrorText[CURL_ERROR_SIZE] = {};
    try {
        CURL* C = curl_easy_init();
        HttpClient = C;
        if (!C)
            throw std::runtime_error("HTTP client could not be created");
        if (!PostStr.isEmpty())
            StrToSend = PostStr.toUtf8();
        Tout = Result.Count * ToutStepMs.load();
        Result.Touts.append(Tout);

        const QByteArray Url = URL.toUtf8();
        curl_easy_setopt(C, CURLOPT_URL, Url.constData());
        curl_easy_setopt(C, CURLOPT_ERRORBUFFER, ErrorText);
        // A module on the local network: plain http, no redirects, no proxy.
        curl_easy_setopt(C, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(C, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(C, CURLOPT_PROXY, "");
        curl_easy_setopt(C, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(C, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(Tout));
        curl_easy_setopt(C, CURLOPT_TIMEOUT_MS, static_cast<long>(Tout));
        curl_easy_setopt(C, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxResponseBytes));
        curl_easy_setopt(C, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(
            C, CURLOPT_WRITEFUNCTION, +[](char* Data, size_t Size, size_t N, void* User) -> size_t {
                auto* W = static_cast<THttpCliThr*>(User);
                const size_t Len = Size * N;
                if (W->HttpResponse.Body.size() + static_cast<qint64>(Len) > MaxResponseBytes) {
                    W->HttpResponse.TooLarge = true;
                    W->HttpResponse.Body = QByteArray();
                    return 0; // ends the transfer
                }
                W->HttpResponse.Body.append(Data, static_cast<qsizetype>(Len));
                return Len;
            });
        curl_easy_setopt(C, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(C, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(
            C, CURLOPT_XFERINFOFUNCTION,
            +[](void* User, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int {
                return static_cast<THttpCliThr*>(User)->Abandoned() ? 1 : 0;
            });
        if (!PostStr.isEmpty()) {
            curl_easy_setopt(C, CURLOPT_POST, 1L);
            curl_easy_setopt(C, CURLOPT_POSTFIELDS, StrToSend.constData());
            curl_easy_setopt(C, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(StrToSend.size()));
        }

        const CURLcode Rc = curl_easy_perform(C);
        if (Rc == CURLE_OK) {
            long Code = -1;
            curl_easy_getinfo(C, CURLINFO_RESPONSE_CODE, &Code);
            Result.StatusCode = static_cast<qint32>(Code);
            char* ContentType = nullptr;
            curl_easy_getinfo(C, CURLINFO_CONTENT_TYPE, &ContentType);
            Result.Response = HttpBodyText(HttpResponse.Body, QByteArray(ContentType));
        } else if (HttpResponse.TooLarge || Rc == CURLE_FILESIZE_EXCEEDED) {
            Result.ExcErrStr = QStringLiteral("Response too large");
        } else {
            Result.ExcErrStr = ErrorText[0] ? QString::fromUtf8(ErrorText)
                                            : QString::fromUtf8(curl_easy_strerror(Rc));
        }
    } catch (const std::exception& E) {
        Result.ExcErrStr = QString::fromUtf8(E.what());
    } catch (...) {
        Result.ExcErrStr = QStringLiteral("Unknown error");
    }
    if (HttpClient)
        curl_easy_cleanup(static_cast<CURL*>(HttpClient));
    HttpClient = nullptr;
    StrToSend.clear();
    HttpResponse = {};
    Result.Time = static_cast<qint32>(Stopwatch.elapsed());
}

void THttpCliThr::Publish() {
    std::lock_guard<std::mutex> L(Link->Lock);
    TdmHttpCli* D = Link->Owner;
    if (!D || Link->Generation != Generation)
        return;
    D->StatusCode = Result.StatusCode;
    D->ExcErrStr = Result.ExcErrStr;
    D->Response = Result.Response;
    D->Count = Result.Count;
    D->Time = Result.Time;
    D->Touts = Result.Touts;
    Link->Running = false;
    Link->RunningID = 0;
    // Last, and released: the tick reads the results only after this.
    if (TDoneDeadline* Done = DoneDeadline(GetID))
        Done->store(Now());
}
