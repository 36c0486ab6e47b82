// Orvane answers: framing, checking and applying them.
#include "uMainDs.h"

#include "uCodePage.h"
#include "uDebug.h"
#include "uOrvane97.h"

namespace {

constexpr quint8 AckIgnore = 0x0C;
// The trace of a waiting backlog shows its head; a whole megabyte per frame
// would make a long backlog cost the square of its length.
constexpr qsizetype RxsLogMax = 512;

void Log(const QString& S) {
    if (fDebug)
        fDebug->Add(S);
}

QString States(const TTarvoIOArray& Arr) {
    QString S;
    S.reserve(Arr.size());
    for (bool B : Arr)
        S.append(B ? u'1' : u'0');
    return S;
}

// Number byte first, blanks and control bytes at the end: neither is the name.
QString AnswerName(const QByteArray& Data) {
    QByteArray Name = Data;
    if (!Name.isEmpty())
        Name.remove(0, 1);
    while (!Name.isEmpty() && static_cast<quint8>(Name.back()) <= 0x20)
        Name.chop(1);
    return NameText(Name);
}

} // namespace

// Bytes that can never become a frame are dropped here, so the call always
// leaves RxBuf empty or holding the start of a frame, and returns true.
bool TfMainDs::OrvaneTimerRecv_Buf_Rx() {
    auto& M = MonitorState;
    // Frames are consumed by moving an offset; the buffer is cut once, at the end.
    QByteArray Buf = std::move(M.RxBuf);
    M.RxBuf.clear();
    const qsizetype Size = Buf.size();
    const char* B = Buf.constData();
    qsizetype Pos = 0;
    bool Handled = false;
    TOrvaneFormat97 Rec;

    // Names tile No - 1 from a name answer; true when the same side has a next name.
    const auto NameAnswer = [&](const char* Label, qint32& No,
                                bool (TfMainDs::*SetName)(int, const QString&), qsizetype Tiles) {
        const QString Name = AnswerName(Rec.DATA);
        Log(QString::fromLatin1(Label) + QStringLiteral(":|") + Name + u'|' + QString::number(No) +
            u'|');
        const bool Named = (this->*SetName)(No - 1, Name);
        if (Named)
            ++No;
        return Named && No <= Tiles && No <= 255;
    };

    while (Pos < Size) {
        // A lone "*" may be the start of the next frame.
        if (Size - Pos == 1 && B[Pos] == '*')
            break;
        const qsizetype Start = Buf.indexOf("*a", Pos);
        if (Start < 0) {
            // No frame start at all: nothing here can become a frame.
            Pos = B[Size - 1] == '*' ? Size - 1 : Size;
            continue;
        }
        // Bytes before a frame start can never be part of a frame.
        Pos = Start;
        const qsizetype Avail = Size - Pos;
        if (M.DebugOn && fDebug)
            fDebug->AddHexTxt("Rxs", Buf.mid(Pos, qMin(Avail, RxsLogMax)));
        if (Avail < 5)
            break;
        const qsizetype L =
            static_cast<quint8>(B[Pos + 2]) * 256 + static_cast<quint8>(B[Pos + 3]) + 4;
        if (Avail < L)
            break;
        if (B[Pos + L - 1] != '\r') {
            // A false frame start or a broken length field: skip only this start,
            // so a good frame behind it is still found.
            Pos += 2;
            continue;
        }
        const QByteArray Frame = Buf.mid(Pos, L);
        QByteArray Err;
        if (FrameCheck(Err, Frame) != 0 || !Err.isEmpty()) {
            // Its length field is not to be trusted either.
            Pos += 2;
            continue;
        }
        Pos += L;
        FrameDecode(Err, Frame, Rec);
        if (!Err.isEmpty() || Rec.INST_ACK == AckIgnore)
            continue;

        const bool Ack = Rec.INST_ACK == 0;
        switch (Rec.SIG) {
        case 1:
            M.InfoStr = Rec.DATA;
            if (!M.InfoStr.isEmpty())
                Log(QStringLiteral("Info : ") + NameText(M.InfoStr));
            break;
        case 2:
            if (Rec.DATA.size() < 4) {
                Log(QStringLiteral("Error - v.č."));
                break;
            }
            M.ProductNo = static_cast<quint8>(Rec.DATA[0]) * 256 + static_cast<quint8>(Rec.DATA[1]);
            M.SerialNo = static_cast<quint8>(Rec.DATA[2]) * 256 + static_cast<quint8>(Rec.DATA[3]);
            Log(QStringLiteral("Číslo produktu : ") + QString::number(M.ProductNo));
            Log(QStringLiteral("Výrobní číslo : ") + QString::number(M.SerialNo));
            break;
        case 3:
            break;
        case 4:
            if (!Ack)
                break;
            BitsToIOArray(Rec.DATA, M.InStt, static_cast<qint32>(PnlIn.size()));
            Log(QStringLiteral("Inputs:|") + States(M.InStt) + u'|');
            for (qsizetype I = 0; I < M.InStt.size(); ++I)
                PnlInSetColor(static_cast<int>(I), M.InStt[I] ? 1 : 0);
            Handled = true;
            break;
        case 5: {
            if (!Ack)
                break;
            BitsToIOArray(Rec.DATA, M.OutStt, static_cast<qint32>(PnlOut.size()));
            // Outputs not yet requested start as the module reports them, so the
            // program never switches one by itself.
            const qsizetype Known = M.OutSet.size();
            if (Known < M.OutStt.size()) {
                M.OutSet.resize(M.OutStt.size());
                for (qsizetype I = Known; I < M.OutStt.size(); ++I)
                    M.OutSet[I] = M.OutStt[I];
            }
            Log(QStringLiteral("OutputsR:|") + States(M.OutStt) + u'|');
            for (qsizetype I = 0; I < M.OutStt.size(); ++I)
                PnlOutSetColor(static_cast<int>(I), M.OutStt[I] ? 1 : 0);
            Handled = true;
            break;
        }
        case 6: {
            if (!Ack)
                break;
            if (!M.OutSet.isEmpty()) {
                // A copy of its own: a later button press changes the request only.
                M.OutStt = M.OutSet;
                M.OutStt.detach();
            }
            Log(QStringLiteral("OutputsW:|") + States(M.OutSet) + u'|');
            const qsizetype Shown = qMin(M.OutStt.size(), PnlOut.size());
            for (qsizetype I = 0; I < Shown; ++I)
                PnlOutSetColor(static_cast<int>(I), M.OutStt[I] ? 1 : 0);
            Handled = true;
            break;
        }
        case 7:
            if (!Ack) {
                Log(QStringLiteral("InName: error"));
                break;
            }
            if (NameAnswer("InName", M.InNameNo, &TfMainDs::PnlInSetName, PnlIn.size())) {
                SendGetInputName(static_cast<quint8>(M.InNameNo));
            } else if (!PnlOut.isEmpty()) {
                M.OutNameNo = 1;
                SendGetOutputName(1);
            } else {
                M.TmGetIo = Now();
            }
            Handled = true;
            break;
        case 8:
            if (!Ack) {
                Log(QStringLiteral("OutName: error"));
                break;
            }
            if (NameAnswer("OutName", M.OutNameNo, &TfMainDs::PnlOutSetName, PnlOut.size()))
                SendGetOutputName(static_cast<quint8>(M.OutNameNo));
            else
                M.TmGetIo = Now();
            Handled = true;
            break;
        default:
            Log(QStringLiteral("Neplatný SIG") + QString::number(Rec.SIG));
            break;
        }

        if (Handled) {
            SttInfoStr(SttInfo, QStringLiteral("Receive OK"));
            if (M.Tracking) {
                M.TmIoCycle = Now() + 300;
                M.TmAckTout = NeverTime;
            }
        }
    }

    Buf.remove(0, Pos);
    // Whatever came in during the call stays behind the unread rest.
    Buf.append(M.RxBuf);
    M.RxBuf = std::move(Buf);
    return true;
}
