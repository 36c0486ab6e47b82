// Arbitrary byte streams, cut into arbitrary pieces, through the receive path:
// the read staging, the tick and the answer processing; and through the codec.
#include "uApp.h"
#include "uClock.h"
#include "uMainDs.h"
#include "uOrvane97.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void Setup() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "fuzz_OrvaneRecv";
    static char* Argv[] = {Name, nullptr};
    new QApplication(Argc, Argv);
    CreateTopLevelObjects();
    fMainDs->tmr1->stop();
    // No address: a reopen the stream provokes fails before any connect.
    fMainDs->edtIpAdr->clear();
}

void Check(bool Ok) {
    if (!Ok)
        std::abort();
}

void Codec(const QByteArray& Bytes, quint8 Conf) {
    QByteArray Err;
    const quint16 Code = FrameCheck(Err, Bytes);
    Check(Code <= 6);
    TOrvaneFormat97 Rec;
    if (Code == 0 && Err.isEmpty()) {
        FrameDecode(Err, Bytes, Rec);
        Check(!Err.isEmpty() || Rec.DATA.size() + 9 == Bytes.size());
    }
    TTarvoIOArray Arr(Conf % 5);
    const qint32 Len = Conf & 0x80 ? -1 : Conf % 40;
    BitsToIOArray(Bytes, Arr, Len);
    Check(Len == -1 || Arr.size() == Len);

    // Whatever the data, a built frame passes the check and decodes to itself.
    const QByteArray Frame = FrameBuild(0x31, Conf, quint8(~Conf), Bytes);
    Err.clear();
    Check(FrameCheck(Err, Frame) == 0 && Err.isEmpty());
    FrameDecode(Err, Frame, Rec);
    Check(Err.isEmpty() && Rec.DATA == Bytes && Rec.SIG == Conf);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const bool Ready = (Setup(), true);
    Q_UNUSED(Ready);
    if (Size < 3)
        return 0;
    const QByteArray All(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size));
    const quint8 Tiles = Data[0];
    const quint8 Conf = Data[1];
    const quint8 Cut = Data[2];

    Codec(All.mid(3), Conf);

    std::destroy_at(&MonitorState);
    std::construct_at(&MonitorState);
    ClockSetNow(1'000'000'000);
    auto& M = MonitorState;
    M.Tracking = Conf & 1;
    M.DebugOn = (Cut & 6) == 6; // the log is slow: one input in four
    M.DevMode = 0;
    M.InNameNo = Conf >> 4;
    M.OutNameNo = (Conf >> 1) & 7;
    M.OutSet.resize((Conf >> 2) & 7, true);
    // Tiles without controls: the answers must cope with any count.
    fMainDs->PnlIn.resize(Tiles & 15);
    fMainDs->PnlOut.resize(Tiles >> 4);

    // Pieces of 1 to 64 bytes; a new piece may arrive before the tick or after it.
    qsizetype Pos = 3;
    quint32 Rng = Cut | 1u;
    while (Pos < All.size()) {
        Rng = Rng * 1103515245u + 12345u;
        const qsizetype N = 1 + (Rng >> 16) % 64;
        M.RxStage.append(All.mid(Pos, N));
        M.RxFlag = true;
        Pos += N;
        if ((Rng >> 8) & 1) {
            ClockAdvance(10);
            fMainDs->tmr1Timer();
            // What stays is nothing, or the start of a frame.
            Check(M.RxBuf.isEmpty() || M.RxBuf.startsWith('*'));
            Check(M.RxBuf.size() < 2 || M.RxBuf.startsWith("*a"));
        }
    }
    ClockAdvance(10);
    fMainDs->tmr1Timer();
    Check(M.RxBuf.isEmpty() || M.RxBuf.startsWith('*'));
    Check(M.InStt.size() <= fMainDs->PnlIn.size() || M.InStt.isEmpty());
    Check(!M.TimerBusy);
    return 0;
}
