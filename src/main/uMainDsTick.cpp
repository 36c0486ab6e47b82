// The 10 ms tick: every deadline of a monitoring run, tested in a fixed order.
#include "uMainDs.h"

#include "uError.h"

#include <QLabel>

void TfMainDs::tmr1Timer() {
    if (MonitorState.TimerBusy)
        return;
    MonitorState.TimerBusy = true;
    try {
        TimerProc();
    } catch (...) {
        // A failing step only ends this tick; the next one runs normally.
    }
    MonitorState.TimerBusy = false;
}

namespace {

// Disarms a due deadline before its action runs.
bool Fire(TDeadline& Deadline, TDeadline TickTime) {
    if (!IsDue(Deadline, TickTime))
        return false;
    Deadline = NeverTime;
    return true;
}

bool Fire(TDoneDeadline& Deadline, TDeadline TickTime) {
    const TDeadline Seen = Deadline.load();
    if (!IsDue(Seen, TickTime))
        return false;
    Deadline.disarm(Seen);
    return true;
}

QString NextBusyCaption(const QString& Caption) {
    const QChar First = Caption.isEmpty() ? QChar() : Caption.front();
    if (First == u'-')
        return QStringLiteral("\\");
    if (First == u'/')
        return QStringLiteral("---");
    if (First == u'|')
        return QStringLiteral("/");
    return QStringLiteral("|");
}

} // namespace

bool TfMainDs::IoOutputsDiffer(const TTarvoIOArray& Stt, const TTarvoIOArray& Set,
                               qsizetype Count) {
    const qsizetype N = qMin(Count, qMin(Stt.size(), Set.size()));
    for (qsizetype I = 0; I < N; ++I) {
        if (Stt[I] != Set[I])
            return true;
    }
    return false;
}

void TfMainDs::RxBufProcess(QByteArray& Buf, const std::function<bool()>& Proc) {
    // A processor that fails without consuming anything would fail the same way
    // again; the buffer shrinking on every repeat bounds the loop.
    qsizetype Before = Buf.size();
    while (!Proc() && !Buf.isEmpty() && Buf.size() < Before)
        Before = Buf.size();
}

void TfMainDs::TimerProc() {
    auto& M = MonitorState;
    const TDeadline TickTime = Now();

    // 1. Busy indicator
    if (!M.Tracking) {
        if (pnl4->text() != QLatin1String("x"))
            pnl4->setText(QStringLiteral("x"));
    } else if (Fire(M.TmBusyStep, TickTime)) {
        pnl4->setText(NextBusyCaption(pnl4->text()));
        M.TmBusyStep = TickTime + 300;
    }

    // 2. Received bytes
    if (M.RxFlag) {
        M.RxFlag = false;
        if (!M.RxStage.isEmpty()) {
            M.RxStage2.clear();
            M.RxLock = true;
            M.RxBuf.append(M.RxStage);
            M.RxStage.clear();
            M.RxLock = false;
            if (!M.RxStage2.isEmpty())
                M.RxBuf.append(M.RxStage2);
        }
        RxBufProcess(M.RxBuf, [this] { return OrvaneTimerRecv_Buf_Rx(); });
    }

    // 3. Settings request
    if (Fire(M.TmSetXmlStart, TickTime) && M.Tracking) {
        if (GetSettingsXmlStart())
            M.TmSetXmlTout = TickTime + 5000;
        else
            SttInfoStr(SttError, QStringLiteral("Get start err"));
    }

    // 4. Settings document read
    if (Fire(M.TmSetXmlDone, TickTime)) {
        M.TmSetXmlTout = NeverTime;
        if (GetSettingsXmlEnd()) {
            M.TmSetXmlStart = NeverTime;
            if (M.DevMode == 0) {
                if (!SockCliOrvOn()) {
                    SttInfoStr(SttError, QStringLiteral("Sock Open err"));
                    M.TmSockClose = Now() + 1000;
                }
            } else if (M.DevMode == 3) {
                M.TmFreshStart = Now() + 1000;
            } else {
                M.TmTrackOff = Now();
                MessageBoxProc(
                    this, QStringLiteral("Switch Tarvo to WEB or TCP server communication mode"));
            }
        }
    }

    // 5.
    if (Fire(M.TmSetXmlTout, TickTime))
        SttInfoStr(SttError, QStringLiteral("Get timeout"));

    // 6. First live-state read
    if (Fire(M.TmFreshStart, TickTime) && M.Tracking) {
        if (GetFreshXmlStart(2))
            M.TmFreshTout = TickTime + 5000;
        else
            SttInfoStr(SttError, QStringLiteral("Get start err"));
    }

    // 7.
    if (Fire(M.TmFreshDone, TickTime)) {
        M.TmFreshTout = NeverTime;
        if (GetFreshXmlEnd()) {
            M.TmFreshStart = NeverTime;
            PnlInPosUpdate();
            PnlOutPosUpdate();
            M.TmPollStart = Now() + 1000;
        }
    }

    // 8.
    if (Fire(M.TmFreshTout, TickTime))
        SttInfoStr(SttError, QStringLiteral("Get timeout"));

    // 9. Periodic web request: output command or live state
    if (Fire(M.TmPollStart, TickTime) && M.Tracking) {
        M.TmPollStart = Now() + 30000;
        const bool Started = M.WebOutCmd != QChar(0) ? GetSetXmlOutStart(3) : GetFreshXmlStart(3);
        if (Started)
            M.TmPollTout = TickTime + 5000;
        else
            SttInfoStr(SttError, QStringLiteral("Get start err"));
    }

    // 10.
    if (Fire(M.TmPollDone, TickTime)) {
        M.TmPollTout = NeverTime;
        const bool Ok = M.WebOutCmd != QChar(0) ? GetSetXmlOutEnd() : GetFreshXmlEnd();
        if (M.HttpStatus != -1)
            M.TmPollStart = Now() + 10000;
        if (Ok) {
            PnlInPosUpdate();
            PnlOutPosUpdate();
            M.TmPollStart = Now() + 1000;
        }
    }

    // 11.
    if (Fire(M.TmPollTout, TickTime))
        SttInfoStr(SttError, QStringLiteral("Get timeout"));

    // 12. I/O cycle
    if (Fire(M.TmIoCycle, TickTime) && M.Tracking) {
        const bool Differ = IoOutputsDiffer(M.OutStt, M.OutSet, PnlOut.size());
        const bool Sent = (Differ ? SendSetOutputs() : SendGetOutputs()) && SendGetInputs();
        if (!Sent) {
            SttInfoStr(SttError, QStringLiteral("Sock send err"));
            M.TmSockClose = Now() + 1000;
        }
    }

    // 13. Names
    if (Fire(M.TmGetNames, TickTime) && M.Tracking) {
        if (!PnlIn.isEmpty()) {
            M.InNameNo = 1;
            SendGetInputName(1);
        } else {
            M.OutNameNo = 1;
            SendGetOutputName(1);
        }
    }

    // 14. First inputs and outputs after the names
    if (Fire(M.TmGetIo, TickTime) && M.Tracking) {
        if (!(SendGetInputs() && SendGetOutputs())) {
            SttInfoStr(SttError, QStringLiteral("Sock send err"));
            M.TmSockClose = Now() + 1000;
        }
    }

    // 15. Answer time-out
    if (Fire(M.TmAckTout, TickTime) && M.Tracking) {
        SttInfoStr(SttError, QStringLiteral("Orv ack tout err"));
        M.TmSockClose = Now() + 1000;
    }

    // 16. Close for a new start
    if (Fire(M.TmSockClose, TickTime)) {
        if (SockCliActive())
            SockCliOrvOff();
        if (M.Tracking)
            M.TmSockOpen = Now() + 30000;
    }

    // 17. Reopen
    if (Fire(M.TmSockOpen, TickTime) && M.Tracking) {
        if (!SockCliOrvOn())
            M.TmSockOpen = Now() + 30000;
    }

    // 18.
    if (Fire(M.TmTrackOff, TickTime))
        TrackOffProc();

    // 19. Error overlay
    if (Fire(M.TmErrShow, TickTime) && fError && fError->isHidden()) {
        fError->show();
        const QRect Main = frameGeometry();
        const QRect Over = fError->frameGeometry();
        fError->move(Main.left() + Main.width() / 2 - Over.width() / 2,
                     Main.top() + Main.height() / 2 - Over.height() / 2);
    }
}
