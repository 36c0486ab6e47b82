#pragma once

#include "uClock.h"
#include "uTarvo.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <atomic>

// A done deadline is stored by the HTTP worker thread after its results are in
// place (release) and read by the tick before the reader runs (acquire).
class TDoneDeadline {
public:
    TDeadline load() const { return Value.load(std::memory_order_acquire); }
    void store(TDeadline V) { Value.store(V, std::memory_order_release); }
    // Disarms only if the worker has not stored a newer time meanwhile, so a
    // second completion that lands during the tick is not lost.
    void disarm(TDeadline Seen) {
        Value.compare_exchange_strong(Seen, NeverTime, std::memory_order_acq_rel);
    }

private:
    std::atomic<TDeadline> Value{NeverTime};
};

// Everything a monitoring run needs, program-wide. Nothing resets the whole set.
struct TMonitorState {
    // Switches, device facts and counters
    bool Tracking = false;
    qint32 DevMode = -1;
    qint32 HttpStatus = -1;
    QChar WebOutCmd = QChar(0);
    qint32 WebOutNo = -1;
    QString DevInfo;
    qint32 DevInMax = -1;
    qint32 DevOutMax = -1;
    qint32 InNameNo = 0;
    qint32 OutNameNo = 0;
    qint32 OrvPort = 10001;
    QString LastIpAdr; // address field of the last Start: states belong to that module
    QByteArray InfoStr;
    qint32 ProductNo = -1;
    qint32 SerialNo = -1;

    // Deadlines, in the order the tick tests them
    TDeadline TmBusyStep = NeverTime;
    TDeadline TmSetXmlStart = NeverTime;
    TDoneDeadline TmSetXmlDone;
    TDeadline TmSetXmlTout = NeverTime;
    TDeadline TmFreshStart = NeverTime;
    TDoneDeadline TmFreshDone;
    TDeadline TmFreshTout = NeverTime;
    TDeadline TmPollStart = NeverTime;
    TDoneDeadline TmPollDone;
    TDeadline TmPollTout = NeverTime;
    TDeadline TmIoCycle = NeverTime;
    TDeadline TmGetNames = NeverTime;
    TDeadline TmGetIo = NeverTime;
    TDeadline TmAckTout = NeverTime;
    TDeadline TmSockClose = NeverTime;
    TDeadline TmSockOpen = NeverTime;
    TDeadline TmTrackOff = NeverTime;
    TDeadline TmErrShow = NeverTime;

    // Receive staging: socket read handler -> tick -> frame processor
    bool RxFlag = false;
    QByteArray RxStage;
    bool RxLock = false;
    QByteArray RxStage2;
    QByteArray RxBuf;

    // Input and output states, kept across Stop and Start
    TTarvoIOArray InStt;
    TTarvoIOArray OutStt;
    TTarvoIOArray OutSet;

    // Program-wide values
    bool DebugOn = false;
    QString IniPath;
    bool TimerBusy = false;
    QString DebugCapHead;
    QString DebugCapTail = QStringLiteral(" - ???");
};

extern TMonitorState MonitorState;
