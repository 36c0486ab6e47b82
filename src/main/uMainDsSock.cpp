// The TCP connection to the module's Orvane port.
#include "uMainDs.h"

#include "uDebug.h"
#include "uSockCli.h"

#include <QHostAddress>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTcpSocket>

#include <cerrno>

int SockErrorCode(QAbstractSocket::SocketError Error, const QString& Text) {
    using S = QAbstractSocket;
    switch (Error) {
    case S::ConnectionRefusedError:
    case S::ProxyConnectionRefusedError:
        return ECONNREFUSED;
    case S::RemoteHostClosedError:
    case S::ProxyConnectionClosedError:
        return ECONNRESET;
    case S::HostNotFoundError:
    case S::ProxyNotFoundError:
        return EHOSTUNREACH;
    case S::SocketAccessError:
    case S::ProxyAuthenticationRequiredError:
        return EACCES;
    case S::SocketResourceError:
        return EMFILE;
    case S::SocketTimeoutError:
    case S::ProxyConnectionTimeoutError:
        return ETIMEDOUT;
    case S::DatagramTooLargeError:
        return EMSGSIZE;
    case S::NetworkError:
        // One kind for several system errors; its text still names the one.
        if (Text.contains(QLatin1String("timed out"), Qt::CaseInsensitive))
            return ETIMEDOUT;
        if (Text.contains(QLatin1String("host unreachable"), Qt::CaseInsensitive))
            return EHOSTUNREACH;
        return ENETUNREACH;
    case S::AddressInUseError:
        return EADDRINUSE;
    case S::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case S::UnsupportedSocketOperationError:
        return EOPNOTSUPP;
    case S::UnfinishedSocketOperationError:
        return EALREADY;
    case S::ProxyProtocolError:
    case S::SslHandshakeFailedError:
    case S::SslInternalError:
    case S::SslInvalidUserDataError:
        return EPROTO;
    case S::TemporaryError:
        return EAGAIN;
    case S::OperationError:
        return EINVAL;
    case S::UnknownSocketError:
        break;
    }
    return EIO;
}

QString SockCliHostText(const QString& Field) {
    // 7 is the length of the shortest dotted address, such as 1.1.1.1.
    const qsizetype Colon = Field.indexOf(u':');
    return Colon + 1 > 7 ? Field.left(Colon) : Field;
}

QHostAddress SockCliHost(const QString& Text) {
    // Numbers only: a host name would block the program in a lookup.
    static const QRegularExpression Dotted(
        QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch Match = Dotted.match(Text);
    if (!Match.hasMatch())
        return {};
    // Each part in decimal: "010" is ten, never octal eight.
    quint32 Ip = 0;
    for (int I = 1; I <= 4; ++I) {
        const uint Part = Match.capturedView(I).toUInt();
        if (Part > 255)
            return {};
        Ip = Ip << 8 | Part;
    }
    return QHostAddress(Ip);
}

void TfMainDs::SockCliBind() {
    connect(SockCli, &QTcpSocket::connected, this, [this] {
        SockCliConnected = true;
        SockCliConnect();
    });
    // A socket that never connected reports only its error: no disconnect event.
    connect(SockCli, &QTcpSocket::disconnected, this, [this] {
        if (!SockCliConnected)
            return;
        SockCliConnected = false;
        SockCliDisconnect();
    });
    connect(SockCli, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError E) {
        int Code = SockErrorCode(E, SockCli->errorString());
        SockCliError(Code);
    });
    connect(SockCli, &QTcpSocket::readyRead, this, [this] { SockCliRead(); });
}

bool TfMainDs::SockCliOrvOn() {
    try {
        auto& M = MonitorState;
        const QHostAddress Host = SockCliHost(SockCliHostText(edtIpAdr->text()));
        if (Host.isNull())
            return false;
        if (M.OrvPort < 1 || M.OrvPort > 65535)
            return false;
        const QString Target = Host.toString() + u':' + QString::number(M.OrvPort);
        if (SockCli->state() != QAbstractSocket::UnconnectedState) {
            if (Target == SockCliTarget) {
                // Opening again starts nothing; a run that starts on the open
                // connection still has to read its names.
                if (SockCliConnected && M.Tracking)
                    M.TmGetNames = Now();
                return true;
            }
            // Another module now: the old line is given up without the recovery
            // a lost connection starts.
            SockCliConnected = false;
            SockCli->abort();
        }
        SockCliTarget = Target;
        SockCli->connectToHost(Host, static_cast<quint16>(M.OrvPort));
        return true;
    } catch (...) {
        return false;
    }
}

bool TfMainDs::SockCliOrvOff() {
    try {
        // Unsent requests are worthless once the line is given up: no lingering close.
        SockCli->abort();
        return true;
    } catch (...) {
        return false;
    }
}

bool TfMainDs::SockCliActive() const {
    return SockCliConnected;
}

namespace {

void Log(const QString& S) {
    if (fDebug)
        fDebug->Add(S);
}

} // namespace

void TfMainDs::SockCliConnect() {
    auto& M = MonitorState;
    // Bytes of an earlier connection never join this stream: a half frame or a
    // broken length field would otherwise swallow the new answers.
    M.RxBuf.clear();
    M.RxStage.clear();
    M.RxStage2.clear();
    SttInfoStr(SttInfo, QStringLiteral("Connect"));
    Log(QStringLiteral("Connect - port : ") + QString::number(M.OrvPort));
    if (M.Tracking)
        M.TmGetNames = Now();
}

void TfMainDs::SockCliDisconnect() {
    SttInfoStr(SttError, QStringLiteral("Disconnect"));
    Log(QStringLiteral("Disconnect"));
    if (MonitorState.Tracking)
        MonitorState.TmSockClose = Now() + 1000;
}

void TfMainDs::SockCliError(int& ErrorCode) {
    const QString Text = QStringLiteral("Sock err : ") + QString::number(ErrorCode);
    ErrorCode = 0;
    Log(Text);
    SttInfoStr(SttError, Text);
    if (MonitorState.Tracking)
        MonitorState.TmSockClose = Now() + 1000;
}

void TfMainDs::SockCliRead() {
    auto& M = MonitorState;
    M.RxFlag = true;
    const QByteArray Bytes = SockCli->readAll();
    if (M.RxLock)
        M.RxStage2 = Bytes;
    else
        M.RxStage.append(Bytes);
}
