#include "uOrvane97.h"

quint8 FrameSum(const QByteArray& Bytes) {
    quint8 Acc = 0;
    for (char B : Bytes)
        Acc = static_cast<quint8>(Acc + static_cast<quint8>(B));
    return static_cast<quint8>(0xFF - Acc);
}

QByteArray FrameBuild(quint8 Adr, quint8 Sig, quint8 Inst, const QByteArray& Data) {
    if (Data.size() > OrvaneMaxData)
        return {};
    const quint16 Num = static_cast<quint16>(Data.size() + 5);
    QByteArray Frame;
    Frame.reserve(Data.size() + 9);
    Frame.append("*a");
    Frame.append(static_cast<char>(Num >> 8));
    Frame.append(static_cast<char>(Num & 0xFF));
    Frame.append(static_cast<char>(Adr));
    Frame.append(static_cast<char>(Sig));
    Frame.append(static_cast<char>(Inst));
    Frame.append(Data);
    Frame.append(static_cast<char>(FrameSum(Frame)));
    Frame.append('\r');
    return Frame;
}

quint16 FrameCheck(QByteArray& Err, const QByteArray& Frame) {
    Q_UNUSED(Err);
    const qsizetype Len = Frame.size();
    if (Len < 8)
        return 1;
    if (Frame[0] != '*')
        return 2;
    if (static_cast<quint8>(Frame[1]) != 0x61)
        return 3;
    const int Num = static_cast<quint8>(Frame[2]) * 256 + static_cast<quint8>(Frame[3]);
    if (Num != Len - 4)
        return 4;
    if (FrameSum(Frame.first(Len - 2)) != static_cast<quint8>(Frame[Len - 2]))
        return 5;
    if (Frame[Len - 1] != '\r')
        return 6;
    return 0;
}

void FrameDecode(QByteArray& Err, const QByteArray& Frame, TOrvaneFormat97& Rec) {
    Rec.CR = 0;
    QByteArray Msg;
    if (Frame.size() < 9) {
        Msg = "Len<9";
    } else {
        const auto Byte = [&Frame](qsizetype I) { return static_cast<quint8>(Frame[I]); };
        Rec.PRE = Frame[0];
        Rec.FRM = Byte(1);
        Rec.NUM = static_cast<quint16>(Byte(2) * 256 + Byte(3));
        Rec.ADR = Frame[4];
        Rec.SIG = Byte(5);
        Rec.INST_ACK = Byte(6);
        // Only checked frames arrive here, but a frame that lies about its
        // length must still not read past its end.
        if (Rec.NUM + 4 > Frame.size()) {
            Rec.DATA.clear();
            Msg = "NUM beyond frame";
        } else {
            Rec.DATA = Rec.NUM > 5 ? Frame.mid(7, Rec.NUM - 5) : QByteArray();
            Rec.SUMA = Byte(Rec.NUM + 2);
            Rec.CR = Frame[Rec.NUM + 3];
        }
    }
    if (!Msg.isEmpty())
        Err.append(" Decode:").append(Msg);
}

bool BitsToIOArray(const QByteArray& Data, TTarvoIOArray& Arr, qint32 Len) {
    if (Len != -1)
        Arr.resize(Len < 0 ? 0 : Len);
    else if (Arr.isEmpty())
        Arr.resize(8 * Data.size());
    const qsizetype Bits = 8 * Data.size();
    bool Written = false;
    for (qsizetype I = 0; I < Arr.size() && I < Bits; ++I) {
        const quint8 Byte = static_cast<quint8>(Data[Data.size() - 1 - I / 8]);
        Arr[I] = (Byte >> (I % 8)) & 1;
        Written = true;
    }
    return Written;
}

quint8 OutPairByte(int No, bool State) {
    return static_cast<quint8>((State ? 128 : 0) + (No % 128 + 128) % 128);
}
