// Start, stop and output requests: they only change the monitor state and the
// look of the window; the tick carries the change out.
#include "uMainDs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

namespace {

void SetTileAreaColour(TfMainDs* W, QPalette::ColorRole Role) {
    W->scrlbx1->setBackgroundRole(Role);
    W->scrlbx1Client->setBackgroundRole(Role);
}

int Tag(QObject* Sender) { return Sender ? Sender->property("Tag").toInt() : 0; }

} // namespace

void TfMainDs::TrackOnProc(TDeadline DT) {
    // Requested outputs of one module are never written to another.
    if (edtIpAdr->text() != MonitorState.LastIpAdr) {
        MonitorState.LastIpAdr = edtIpAdr->text();
        MonitorState.InStt.clear();
        MonitorState.OutStt.clear();
        MonitorState.OutSet.clear();
    }
    MonitorState.Tracking = true;
    MonitorState.TmBusyStep = Now();
    PnlInClear();
    PnlOutClear();
    btnTrackSw->setText(QStringLiteral("Stop"));
    edtIpAdr->setEnabled(false);
    MonitorState.TmSetXmlStart = DT;
    SetTileAreaColour(this, QPalette::Dark);
}

void TfMainDs::TrackOffProc() {
    MonitorState.Tracking = false;
    btnTrackSw->setText(QStringLiteral("Start"));
    edtIpAdr->setEnabled(true);
    if (MonitorState.DevMode == 0) {
        SockCliOrvOff();
        MonitorState.TmIoCycle = NeverTime;
    } else if (MonitorState.DevMode == 3) {
        MonitorState.TmFreshStart = NeverTime;
        MonitorState.TmPollStart = NeverTime;
    }
    SetTileAreaColour(this, QPalette::Button);
    SttInfoStr(SttInfo, QStringLiteral("Stopped"));
}

void TfMainDs::btnTrackSwClick() {
    if (MonitorState.Tracking)
        TrackOffProc();
    else
        TrackOnProc(Now());
}

void TfMainDs::edtIpAdrKeyPress(QChar& Key) {
    if (Key == QChar(13))
        btnTrackSwClick();
}

namespace {

void OutputRequest(TfMainDs* W, QObject* Sender, bool On) {
    auto& M = MonitorState;
    if (!M.Tracking)
        return;
    const int N = Tag(Sender);
    if (N < 1 || N > W->PnlOut.size())
        return;
    if (M.DevMode == 0) {
        if (M.OutSet.size() >= N)
            M.OutSet[N - 1] = On;
    } else if (M.DevMode == 3) {
        M.WebOutCmd = On ? QChar(u's') : QChar(u'r');
        M.WebOutNo = N;
        M.TmPollStart = Now();
    }
}

} // namespace

void TfMainDs::btnOnClick(QObject* Sender) { OutputRequest(this, Sender, true); }

void TfMainDs::btnOffClick(QObject* Sender) { OutputRequest(this, Sender, false); }
