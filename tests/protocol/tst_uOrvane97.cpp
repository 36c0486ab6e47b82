#include "uOrvane97.h"

#include <QTest>

namespace {

QByteArray Hex(const char* S) {
    return QByteArray::fromHex(S);
}

// A frame with every field right, for the checks to spoil one at a time.
QByteArray GoodFrame() {
    return FrameBuild(0x31, 6, 0x20, Hex("8102"));
}

QByteArray WithByte(QByteArray Frame, qsizetype At, quint8 Value) {
    Frame[At] = static_cast<char>(Value);
    return Frame;
}

} // namespace

class TstOrvane97 : public QObject {
    Q_OBJECT

private slots:
    void frameSum_data();
    void frameSum();
    void frameBuild_data();
    void frameBuild();
    void frameBuildLimit();
    void frameCheck_data();
    void frameCheck();
    void frameCheckKeepsErr();
    void frameDecode();
    void frameDecodeNoData();
    void frameDecodeShort();
    void frameDecodeLengthBeyondFrame();
    void roundTripAnyByte();
    void bitsToIOArray_data();
    void bitsToIOArray();
    void outPairByte_data();
    void outPairByte();
};

void TstOrvane97::frameSum_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("sum");
    QTest::newRow("empty") << QByteArray() << 0xFF;
    QTest::newRow("get inputs head") << Hex("2A6100053104 31") << 0x09;
    QTest::newRow("wraps modulo 256") << Hex("FFFF02") << 0xFF;
    QTest::newRow("zero bytes count") << QByteArray(3, '\0') << 0xFF;
}

void TstOrvane97::frameSum() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, sum);
    QCOMPARE(FrameSum(bytes), quint8(sum));
}

void TstOrvane97::frameBuild_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<int>("inst");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("identification") << 1 << 0xF3 << QByteArray() << Hex("2A6100053101F34A0D");
    QTest::newRow("get inputs") << 4 << 0x31 << QByteArray() << Hex("2A610005310431090D");
    QTest::newRow("get outputs") << 5 << 0x30 << QByteArray() << Hex("2A610005310530090D");
    QTest::newRow("set outputs 1 on, 2 off")
        << 6 << 0x20 << Hex("8102") << Hex("2A6100073106208102930D");
    QTest::newRow("set outputs 1 on, 2 off, 3 on")
        << 6 << 0x20 << Hex("810283") << Hex("2A610008310620810283 0F0D");
    QTest::newRow("set outputs, none") << 6 << 0x20 << QByteArray() << Hex("2A610005310620180D");
    QTest::newRow("name of input 1") << 7 << 0x3B << Hex("01") << Hex("2A61000631073B01FA0D");
    QTest::newRow("name of output 2") << 8 << 0x3A << Hex("02") << Hex("2A61000631083A02F90D");
}

void TstOrvane97::frameBuild() {
    QFETCH(int, sig);
    QFETCH(int, inst);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);
    const QByteArray Built = FrameBuild(0x31, quint8(sig), quint8(inst), data);
    QCOMPARE(Built.toHex(' '), frame.toHex(' '));
    QByteArray Err;
    QCOMPARE(FrameCheck(Err, Built), quint16(0));
    QVERIFY(Err.isEmpty());
}

void TstOrvane97::frameBuildLimit() {
    // The largest data whose length field and checksum count still fit 16 bits.
    const QByteArray Max(OrvaneMaxData, '\x5A');
    const QByteArray Frame = FrameBuild(0x31, 9, 0x40, Max);
    QCOMPARE(Frame.size(), OrvaneMaxData + 9);
    QCOMPARE(quint8(Frame[2]), quint8(0xFF));
    QCOMPARE(quint8(Frame[3]), quint8(0xFD));
    QByteArray Err;
    QCOMPARE(FrameCheck(Err, Frame), quint16(0));
    TOrvaneFormat97 Rec;
    FrameDecode(Err, Frame, Rec);
    QVERIFY(Err.isEmpty());
    QCOMPARE(Rec.DATA, Max);

    // One byte more would wrap the length field: no frame at all.
    QVERIFY(FrameBuild(0x31, 9, 0x40, QByteArray(OrvaneMaxData + 1, '\x5A')).isEmpty());
    QVERIFY(FrameBuild(0x31, 9, 0x40, QByteArray(70000, '\0')).isEmpty());
}

void TstOrvane97::frameCheck_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("code");
    const QByteArray Good = GoodFrame(); // 2A 61 00 07 31 06 20 81 02 93 0D
    QTest::newRow("good") << Good << 0;
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("7 bytes of a good frame") << Good.first(7) << 1;
    QTest::newRow("7 bytes, anything") << QByteArray(7, 'x') << 1;
    QTest::newRow("no star") << WithByte(Good, 0, '#') << 2;
    QTest::newRow("no star and no a") << WithByte(WithByte(Good, 0, '#'), 1, 'b') << 2;
    QTest::newRow("8 bytes starting *b") << QByteArray("*b\x00\x04\x31\x06\xff\x0d", 8) << 3;
    QTest::newRow("b instead of a") << WithByte(Good, 1, 'b') << 3;
    QTest::newRow("length field one too large, checksum right") << [] {
        QByteArray F = WithByte(GoodFrame(), 3, 0x08);
        F[F.size() - 2] = char(FrameSum(F.first(F.size() - 2)));
        return F;
    }() << 4;
    QTest::newRow("length field high byte") << WithByte(Good, 2, 0x01) << 4;
    QTest::newRow("longer than the length field") << Good + '\r' << 4;
    QTest::newRow("wrong checksum") << WithByte(Good, Good.size() - 2, 0x94) << 5;
    QTest::newRow("wrong checksum and wrong end")
        << WithByte(WithByte(Good, Good.size() - 2, 0x94), Good.size() - 1, 0x0A) << 5;
    QTest::newRow("wrong end") << WithByte(Good, Good.size() - 1, 0x0A) << 6;
    QTest::newRow("8 bytes, NUM 4, no instruction") << [] {
        QByteArray F = Hex("2A6100043106");
        F.append(char(FrameSum(F))).append('\r');
        return F;
    }() << 0;
}

void TstOrvane97::frameCheck() {
    QFETCH(QByteArray, frame);
    QFETCH(int, code);
    QByteArray Err;
    QCOMPARE(FrameCheck(Err, frame), quint16(code));
    QVERIFY(Err.isEmpty());
}

void TstOrvane97::frameCheckKeepsErr() {
    QByteArray Err("earlier");
    QCOMPARE(FrameCheck(Err, GoodFrame()), quint16(0));
    QCOMPARE(FrameCheck(Err, QByteArray("*a")), quint16(1));
    QCOMPARE(Err, QByteArray("earlier"));
}

void TstOrvane97::frameDecode() {
    QByteArray Full = Hex("2A610009A1056B00FF0102");
    Full.append(char(FrameSum(Full))).append('\r');
    QByteArray Err;
    QCOMPARE(FrameCheck(Err, Full), quint16(0));

    TOrvaneFormat97 Rec;
    FrameDecode(Err, Full, Rec);
    QVERIFY(Err.isEmpty());
    QCOMPARE(Rec.PRE, '*');
    QCOMPARE(Rec.FRM, quint8(0x61));
    QCOMPARE(Rec.NUM, quint16(9));
    QCOMPARE(quint8(Rec.ADR), quint8(0xA1));
    QCOMPARE(Rec.SIG, quint8(5));
    QCOMPARE(Rec.INST_ACK, quint8(0x6B));
    QCOMPARE(Rec.DATA, Hex("00FF0102"));
    QCOMPARE(Rec.SUMA, quint8(Full[Full.size() - 2]));
    QCOMPARE(Rec.CR, '\r');
}

void TstOrvane97::frameDecodeNoData() {
    TOrvaneFormat97 Rec;
    Rec.DATA = "stale";
    QByteArray Err;
    FrameDecode(Err, Hex("2A610005310431090D"), Rec);
    QVERIFY(Err.isEmpty());
    QCOMPARE(Rec.NUM, quint16(5));
    QVERIFY(Rec.DATA.isEmpty());
    QCOMPARE(Rec.SUMA, quint8(0x09));
    QCOMPARE(Rec.CR, '\r');
}

void TstOrvane97::frameDecodeShort() {
    // Passes every check, but has no room for an instruction byte.
    QByteArray Frame = Hex("2A6100043106");
    Frame.append(char(FrameSum(Frame))).append('\r');
    QByteArray Err("before");
    QCOMPARE(FrameCheck(Err, Frame), quint16(0));

    TOrvaneFormat97 Rec;
    Rec.SIG = 77;
    Rec.CR = 'z';
    FrameDecode(Err, Frame, Rec);
    QCOMPARE(Err, QByteArray("before Decode:Len<9"));
    QCOMPARE(Rec.CR, '\0');
    QCOMPARE(Rec.SIG, quint8(77));
}

void TstOrvane97::frameDecodeLengthBeyondFrame() {
    // Only checked frames should come here; one that lies must still not be read past its end.
    QByteArray Err;
    TOrvaneFormat97 Rec;
    FrameDecode(Err, Hex("2A6100FF31043100AA0D"), Rec);
    QVERIFY(Err.startsWith(" Decode:"));
    QCOMPARE(Rec.CR, '\0');
    QVERIFY(Rec.DATA.isEmpty());
}

void TstOrvane97::roundTripAnyByte() {
    QByteArray Data;
    for (int I = 0; I < 256; ++I)
        Data.append(char(I)); // zero and 0x0D inside the data included
    const QByteArray Frame = FrameBuild(0x7F, 0xEE, 0x00, Data);
    QByteArray Err;
    QCOMPARE(FrameCheck(Err, Frame), quint16(0));
    TOrvaneFormat97 Rec;
    FrameDecode(Err, Frame, Rec);
    QVERIFY(Err.isEmpty());
    QCOMPARE(Rec.ADR, char(0x7F));
    QCOMPARE(Rec.SIG, quint8(0xEE));
    QCOMPARE(Rec.INST_ACK, quint8(0));
    QCOMPARE(Rec.DATA, Data);
}

void TstOrvane97::bitsToIOArray_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<TTarvoIOArray>("before");
    QTest::addColumn<int>("len");
    QTest::addColumn<TTarvoIOArray>("after");
    QTest::addColumn<bool>("written");
    const bool T = true, F = false;
    QTest::newRow("inputs 1, 3 and 9 of 10") << Hex("0105") << TTarvoIOArray{} << 10
                                             << TTarvoIOArray{T, F, T, F, F, F, F, F, T, F} << true;
    QTest::newRow("len beyond data keeps the rest")
        << Hex("81") << TTarvoIOArray(12, true) << 12
        << TTarvoIOArray{T, F, F, F, F, F, F, T, T, T, T, T} << true;
    QTest::newRow("len beyond data, new elements false")
        << Hex("FF") << TTarvoIOArray{} << 12 << TTarvoIOArray{T, T, T, T, T, T, T, T, F, F, F, F}
        << true;
    QTest::newRow("len shorter than data ignores high bits")
        << Hex("FF02") << TTarvoIOArray{} << 3 << TTarvoIOArray{F, T, F} << true;
    QTest::newRow("len 0 empties")
        << Hex("FF") << TTarvoIOArray{T, T} << 0 << TTarvoIOArray{} << false;
    QTest::newRow("empty data writes nothing")
        << QByteArray() << TTarvoIOArray{T, F} << 4 << TTarvoIOArray{T, F, F, F} << false;
    QTest::newRow("-1 on empty array: 8 per byte")
        << Hex("0100") << TTarvoIOArray{} << -1
        << TTarvoIOArray{F, F, F, F, F, F, F, F, T, F, F, F, F, F, F, F} << true;
    QTest::newRow("-1 keeps the length")
        << Hex("06") << TTarvoIOArray{T, T, T} << -1 << TTarvoIOArray{F, T, T} << true;
    QTest::newRow("-1, empty array, empty data")
        << QByteArray() << TTarvoIOArray{} << -1 << TTarvoIOArray{} << false;
}

void TstOrvane97::bitsToIOArray() {
    QFETCH(QByteArray, data);
    QFETCH(TTarvoIOArray, before);
    QFETCH(int, len);
    QFETCH(TTarvoIOArray, after);
    QFETCH(bool, written);
    TTarvoIOArray Arr = before;
    QCOMPARE(BitsToIOArray(data, Arr, len), written);
    QCOMPARE(Arr, after);
}

void TstOrvane97::outPairByte_data() {
    QTest::addColumn<int>("no");
    QTest::addColumn<bool>("state");
    QTest::addColumn<int>("byte");
    QTest::newRow("1 on") << 1 << true << 0x81;
    QTest::newRow("2 off") << 2 << false << 0x02;
    QTest::newRow("127 on") << 127 << true << 0xFF;
    QTest::newRow("128 on: number bits 0") << 128 << true << 0x80;
    QTest::newRow("129 off") << 129 << false << 0x01;
}

void TstOrvane97::outPairByte() {
    QFETCH(int, no);
    QFETCH(bool, state);
    QFETCH(int, byte);
    QCOMPARE(OutPairByte(no, state), quint8(byte));
}

QTEST_GUILESS_MAIN(TstOrvane97)
#include "tst_uOrvane97.moc"
