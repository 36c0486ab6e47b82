#pragma once

#include "uTarvo.h"

#include <QByteArray>
#include <QtGlobal>

// Decoded frame of format 97.
struct TOrvaneFormat97 {
    char PRE = 0;
    quint8 FRM = 0;
    quint16 NUM = 0;
    char ADR = 0;
    quint8 SIG = 0;
    quint8 INST_ACK = 0;
    QByteArray DATA;
    quint8 SUMA = 0;
    char CR = 0;
};

// The length field and the checksum count are 16 bits wide.
inline constexpr qsizetype OrvaneMaxData = 65528;

quint8 FrameSum(const QByteArray& Bytes);

// Returns an empty array when Data is too long to form a frame: a wrapped
// length field would make the module misread every byte after it.
QByteArray FrameBuild(quint8 Adr, quint8 Sig, quint8 Inst, const QByteArray& Data);

// 0 good, 1 shorter than 8, 2 no "*", 3 no "a", 4 length field, 5 checksum, 6 no CR.
quint16 FrameCheck(QByteArray& Err, const QByteArray& Frame);

void FrameDecode(QByteArray& Err, const QByteArray& Frame, TOrvaneFormat97& Rec);

bool BitsToIOArray(const QByteArray& Data, TTarvoIOArray& Arr, qint32 Len);

quint8 OutPairByte(int No, bool State);
