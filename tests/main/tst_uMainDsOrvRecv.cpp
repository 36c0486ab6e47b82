#include "OrvaneLink.h"
#include "TestApp.h"
#include "uMainDs.h"
#include "uOrvane97.h"

#include <QLabel>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TTarvoIOArray)

class TstOrvaneRecv : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void framing_data();
    void framing();
    void answersAppliedWhileStopped();
    void identification_data();
    void identification();
    void setAnswerCopiesRequest();
    void names_data();
    void names();
    void nameChainAsksNext_data();
    void nameChainAsksNext();
    void refusedNameEndsChain();

private:
    std::unique_ptr<TTestApp> App;
    // Feeds bytes the way the socket does and lets the tick process them.
    void Feed(const QByteArray& Bytes);
    QString Status() const { return fMainDs->lblSttInfo->text(); }
};

void TstOrvaneRecv::init() {
    App = std::make_unique<TTestApp>();
    MonitorState.DebugOn = true;
    fMainDs->lblSttInfo->setText(QStringLiteral("---"));
}

void TstOrvaneRecv::cleanup() {
    App.reset();
}

void TstOrvaneRecv::Feed(const QByteArray& Bytes) {
    MonitorState.RxStage.append(Bytes);
    MonitorState.RxFlag = true;
    App->Tick();
}

namespace {

// The same answer with its length field changed by Delta.
QByteArray WithLength(QByteArray Frame, int Delta) {
    const int Num = quint8(Frame[2]) * 256 + quint8(Frame[3]) + Delta;
    Frame[2] = char(Num >> 8);
    Frame[3] = char(Num & 0xFF);
    return Frame;
}

QByteArray WithSum(QByteArray Frame, int Delta) {
    Frame[Frame.size() - 2] = char(quint8(Frame[Frame.size() - 2]) + Delta);
    return Frame;
}

} // namespace

void TstOrvaneRecv::framing_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("inTiles");
    QTest::addColumn<int>("outTiles");
    QTest::addColumn<QString>("preIn");
    QTest::addColumn<QString>("preOut");
    QTest::addColumn<QString>("preSet");
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("cycle");
    QTest::addColumn<QString>("log"); // a line of the debug log, or empty

    const QByteArray In5 = Answer(4, 0, QByteArray::fromHex("05"));
    const QByteArray Out1 = Answer(5, 0, QByteArray::fromHex("01"));
    const QString None = QStringLiteral("---");
    const QString Ok = QStringLiteral("Receive OK");

    QTest::newRow("lone star waits") << QByteArray("*") << 3 << 2 << ""
                                     << ""
                                     << "" << QByteArray("*") << ""
                                     << ""
                                     << "" << None << false << QString::fromUtf8("");
    QTest::newRow("stray bytes then a frame")
        << (QByteArray("\x01\x02") + In5) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
    QTest::newRow("first 6 bytes of a frame wait")
        << In5.left(6) << 3 << 2 << ""
        << ""
        << "" << In5.left(6) << ""
        << ""
        << "" << None << false << QString::fromUtf8("RXS");
    QTest::newRow("rest of a frame after stray bytes waits")
        << (QByteArray("zz\r") + In5.left(8)) << 3 << 2 << ""
        << ""
        << "" << In5.left(8) << ""
        << ""
        << "" << None << false << QString::fromUtf8("RXS");
    QTest::newRow("length field too long, good frame behind")
        << (WithLength(Out1, 1) + In5) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
    QTest::newRow("length field too short, good frame behind")
        << (WithLength(Out1, -1) + In5) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
    QTest::newRow("length field past the bytes so far waits")
        << (WithLength(Out1, 5) + In5.left(4)) << 3 << 2 << ""
        << ""
        << "" << (WithLength(Out1, 5) + In5.left(4)) << ""
        << ""
        << "" << None << false << QString::fromUtf8("");
    QTest::newRow("length field too long, start of a frame behind")
        << (WithLength(Out1, 3) + In5.left(4)) << 3 << 2 << ""
        << ""
        << "" << In5.left(4) << ""
        << ""
        << "" << None << false << QString::fromUtf8("");
    QTest::newRow("bad checksum, good frame behind")
        << (WithSum(Out1, 1) + In5) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
    QTest::newRow("two answers in one call")
        << (Answer(4, 0, QByteArray::fromHex("04")) + Out1) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "001"
        << "10"
        << "10" << Ok << true << QString::fromUtf8("OutputsR:|10|");
    QTest::newRow("answer and the start of the next")
        << (In5 + Out1.left(3)) << 3 << 2 << ""
        << ""
        << "" << Out1.left(3) << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
    QTest::newRow("inputs refused with 1")
        << Answer(4, 1, QByteArray::fromHex("07")) << 3 << 2 << "010"
        << ""
        << "" << QByteArray() << "010"
        << ""
        << "" << None << false << QString::fromUtf8("");
    QTest::newRow("inputs ignored with 0C")
        << Answer(4, 0x0C, QByteArray::fromHex("07")) << 3 << 2 << "010"
        << ""
        << "" << QByteArray() << "010"
        << ""
        << "" << None << false << QString::fromUtf8("");
    QTest::newRow("outputs refused with 1")
        << Answer(5, 1, QByteArray::fromHex("03")) << 3 << 2 << ""
        << "00"
        << "00" << QByteArray() << ""
        << "00"
        << "00" << None << false << QString::fromUtf8("");
    QTest::newRow("fewer bits than tiles")
        << Answer(4, 0, QByteArray::fromHex("00")) << 10 << 0 << "1111111111"
        << ""
        << "" << QByteArray() << "0000000011"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|0000000011|");
    QTest::newRow("outputs fill an empty request")
        << Answer(5, 0, QByteArray::fromHex("02")) << 0 << 3 << ""
        << ""
        << "" << QByteArray() << ""
        << "010"
        << "010" << Ok << true << QString::fromUtf8("OutputsR:|010|");
    QTest::newRow("outputs keep the request")
        << Answer(5, 0, QByteArray::fromHex("02")) << 0 << 3 << ""
        << "000"
        << "101" << QByteArray() << ""
        << "010"
        << "101" << Ok << true << QString::fromUtf8("OutputsR:|010|");
    QTest::newRow("outputs fill only the missing tail of the request")
        << Answer(5, 0, QByteArray::fromHex("06")) << 0 << 3 << ""
        << "0"
        << "0" << QByteArray() << ""
        << "011"
        << "011" << Ok << true << QString::fromUtf8("OutputsR:|011|");
    QTest::newRow("outputs written copy the request")
        << Answer(6, 0, QByteArray::fromHex("00")) << 0 << 2 << ""
        << "00"
        << "10" << QByteArray() << ""
        << "10"
        << "10" << Ok << true << QString::fromUtf8("OutputsW:|10|");
    QTest::newRow("outputs written with no request")
        << Answer(6, 0) << 0 << 2 << ""
        << "01"
        << "" << QByteArray() << ""
        << "01"
        << "" << Ok << true << QString::fromUtf8("OutputsW:||");
    QTest::newRow("signature 12") << Answer(12, 0) << 3 << 2 << ""
                                  << ""
                                  << "" << QByteArray() << ""
                                  << ""
                                  << "" << None << false << QString::fromUtf8("Neplatný SIG12");
    QTest::newRow("signature 12 after a handled answer")
        << (In5 + Answer(12, 0)) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Neplatný SIG12");
    QTest::newRow("garbage with no frame start")
        << QByteArray("garbage\r\n\x00\xff", 11) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << ""
        << ""
        << "" << None << false << QString::fromUtf8("");
    QTest::newRow("garbage keeps a final star") << QByteArray("garbage*") << 3 << 2 << ""
                                                << ""
                                                << "" << QByteArray("*") << ""
                                                << ""
                                                << "" << None << false << QString::fromUtf8("");
    QTest::newRow("carriage return before the frame start")
        << (QByteArray("ab\rcd") + In5) << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
    QTest::newRow("8-byte frame refused, next applied")
        << (QByteArray::fromHex("2A6100043104") +
            char(FrameSum(QByteArray::fromHex("2A6100043104"))) + "\r" + In5)
        << 3 << 2 << ""
        << ""
        << "" << QByteArray() << "101"
        << ""
        << "" << Ok << true << QString::fromUtf8("Inputs:|101|");
}

void TstOrvaneRecv::framing() {
    QFETCH(QByteArray, stream);
    QFETCH(int, inTiles);
    QFETCH(int, outTiles);
    QFETCH(QString, preIn);
    QFETCH(QString, preOut);
    QFETCH(QString, preSet);
    QFETCH(QByteArray, rest);
    QFETCH(QString, in);
    QFETCH(QString, out);
    QFETCH(QString, set);
    QFETCH(QString, status);
    QFETCH(bool, cycle);
    QFETCH(QString, log);

    auto& M = MonitorState;
    MakeTiles(inTiles, outTiles);
    M.Tracking = true;
    M.InStt = ToArray(preIn);
    M.OutStt = ToArray(preOut);
    M.OutSet = ToArray(preSet);
    const TDeadline Ack = Now() + 2000;
    M.TmAckTout = Ack;

    Feed(stream);

    QCOMPARE(M.RxBuf.toHex(' '), rest.toHex(' '));
    QCOMPARE(Bits(M.InStt), in);
    QCOMPARE(Bits(M.OutStt), out);
    QCOMPARE(Bits(M.OutSet), set);
    QCOMPARE(Status(), status);
    QCOMPARE(M.TmIoCycle, cycle ? Now() + 300 : NeverTime);
    QCOMPARE(M.TmAckTout, cycle ? NeverTime : Ack);
    if (log == QLatin1String("RXS")) {
        // A frame that is not complete yet is traced as it stands.
        QVERIFY(DebugLines().last().startsWith(QStringLiteral("Rxs:")));
    } else if (!log.isEmpty()) {
        QVERIFY2(DebugLines().contains(log), qPrintable(DebugLines().join(u'\n')));
    }
    // Applied states are shown on the tiles.
    if (cycle && in != preIn)
        for (int I = 0; I < M.InStt.size(); ++I)
            QCOMPARE(fMainDs->PnlIn[I].lblStt->text(), QString(in[I]));
    if (cycle && !out.isEmpty())
        for (int I = 0; I < fMainDs->PnlOut.size(); ++I)
            QCOMPARE(fMainDs->PnlOut[I].lblStt->text(), QString(out[I]));
}

void TstOrvaneRecv::answersAppliedWhileStopped() {
    auto& M = MonitorState;
    MakeTiles(3, 0);
    M.TmAckTout = Now() + 2000;
    Feed(Answer(4, 0, QByteArray::fromHex("03")));
    QCOMPARE(Bits(M.InStt), QStringLiteral("110"));
    QCOMPARE(Status(), QStringLiteral("Receive OK"));
    QCOMPARE(M.TmIoCycle, NeverTime);
    QCOMPARE(M.TmAckTout, Now() + 2000);
}

void TstOrvaneRecv::identification_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("serial");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("identification text") << Answer(1, 0, "Tarvo 8/8") << QByteArray("Tarvo 8/8")
                                         << -1 << -1 << QStringList({"Info : Tarvo 8/8"});
    QTest::newRow("identification refused still taken")
        << Answer(1, 3, "x") << QByteArray("x") << -1 << -1 << QStringList({"Info : x"});
    QTest::newRow("empty identification")
        << Answer(1, 0) << QByteArray() << -1 << -1 << QStringList();
    QTest::newRow("product and serial")
        << Answer(2, 0, QByteArray::fromHex("0102FFFE99")) << QByteArray() << 0x0102 << 0xFFFE
        << QStringList({QString::fromUtf8("Číslo produktu : 258"),
                        QString::fromUtf8("Výrobní číslo : 65534")});
    QTest::newRow("signature 2 with 3 bytes")
        << Answer(2, 0, QByteArray::fromHex("010203")) << QByteArray() << -1 << -1
        << QStringList({QString::fromUtf8("Error - v.č.")});
}

void TstOrvaneRecv::identification() {
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, info);
    QFETCH(int, product);
    QFETCH(int, serial);
    QFETCH(QStringList, log);
    MonitorState.Tracking = true;
    Feed(stream);
    QStringList Lines = DebugLines();
    Lines.removeIf([](const QString& L) { return L.startsWith(QLatin1String("Rxs:")); });
    QCOMPARE(Lines, log);
    QCOMPARE(MonitorState.InfoStr, info);
    QCOMPARE(MonitorState.ProductNo, product);
    QCOMPARE(MonitorState.SerialNo, serial);
    // Not an answer of the I/O cycle: it schedules nothing.
    QCOMPARE(Status(), QStringLiteral("---"));
    QCOMPARE(MonitorState.TmIoCycle, NeverTime);
}

void TstOrvaneRecv::setAnswerCopiesRequest() {
    auto& M = MonitorState;
    MakeTiles(0, 2);
    M.Tracking = true;
    M.OutSet = ToArray(QStringLiteral("10"));
    Feed(Answer(6, 0));
    QCOMPARE(Bits(M.OutStt), QStringLiteral("10"));
    // A press after the answer changes only the request, so the next cycle writes it.
    M.OutSet[1] = true;
    QCOMPARE(Bits(M.OutStt), QStringLiteral("10"));
    QVERIFY(M.OutStt.constData() != M.OutSet.constData());
}

void TstOrvaneRecv::names_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("label");
    // The log line shows the name as received: empty when the module sent none.
    QTest::newRow("input name Door") << 7 << QByteArray::fromHex("03446F6F722020") << "Door";
    QTest::newRow("input name with control bytes")
        << 7 << QByteArray::fromHex("03446F6F72000D09") << "Door";
    QTest::newRow("input name empty") << 7 << QByteArray() << "Input 3";
    QTest::newRow("input name number only") << 7 << QByteArray::fromHex("03") << "Input 3";
    QTest::newRow("input name blanks only") << 7 << QByteArray::fromHex("0320202020") << "Input 3";
    QTest::newRow("input name Central European")
        << 7 << QByteArray::fromHex("03C8E8") << QString::fromUtf8("Čč");
    QTest::newRow("output name") << 8 << QByteArray::fromHex("03476174652020") << "Gate";
    QTest::newRow("output name empty") << 8 << QByteArray() << "Output 3";
}

void TstOrvaneRecv::names() {
    QFETCH(int, sig);
    QFETCH(QByteArray, data);
    QFETCH(QString, label);
    auto& M = MonitorState;
    MakeTiles(3, 3);
    M.Tracking = true;
    M.InNameNo = 3;
    M.OutNameNo = 3;
    Feed(Answer(quint8(sig), 0, data));
    const auto& Tile = sig == 7 ? fMainDs->PnlIn[2].lblName : fMainDs->PnlOut[2].lblName;
    QCOMPARE(Tile->text(), label);
    const QString Shown =
        label.startsWith(QLatin1String("Input ")) || label.startsWith(QLatin1String("Output "))
            ? QString()
            : label;
    const QString Line = (sig == 7 ? QStringLiteral("InName:|") : QStringLiteral("OutName:|")) +
                         Shown + QStringLiteral("|3|");
    QVERIFY2(DebugLines().contains(Line), qPrintable(DebugLines().join(u'\n')));
    QCOMPARE(sig == 7 ? M.InNameNo : M.OutNameNo, 4);
    QCOMPARE(Status(), QStringLiteral("Receive OK"));
}

void TstOrvaneRecv::nameChainAsksNext_data() {
    QTest::addColumn<int>("inTiles");
    QTest::addColumn<int>("outTiles");
    QTest::addColumn<int>("sig");
    QTest::addColumn<int>("no");
    QTest::addColumn<QByteArray>("request"); // empty: the names are done
    QTest::addColumn<int>("inNameNo");
    QTest::addColumn<int>("outNameNo");
    const QByteArray None;
    QTest::newRow("input 2 of 3 asks for input 3")
        << 3 << 2 << 7 << 2 << QByteArray::fromHex("2A610006310 73B03F80D") << 3 << 0;
    QTest::newRow("input 3 of 3 asks for output 1")
        << 3 << 2 << 7 << 3 << QByteArray::fromHex("2A61000631083A01FA0D") << 4 << 1;
    QTest::newRow("last input, no outputs: inputs and outputs next")
        << 3 << 0 << 7 << 3 << None << 4 << 0;
    QTest::newRow("output 1 of 2 asks for output 2")
        << 3 << 2 << 8 << 1 << QByteArray::fromHex("2A61000631083A02F90D") << 0 << 2;
    QTest::newRow("last output: inputs and outputs next") << 3 << 2 << 8 << 2 << None << 0 << 3;
    QTest::newRow("input name with no such tile goes to the outputs")
        << 3 << 2 << 7 << 9 << QByteArray::fromHex("2A61000631083A01FA0D") << 9 << 1;
}

void TstOrvaneRecv::nameChainAsksNext() {
    QFETCH(int, inTiles);
    QFETCH(int, outTiles);
    QFETCH(int, sig);
    QFETCH(int, no);
    QFETCH(QByteArray, request);
    QFETCH(int, inNameNo);
    QFETCH(int, outNameNo);
    auto& M = MonitorState;
    TOrvaneLink Link(inTiles, outTiles);
    MakeTiles(inTiles, outTiles);
    QVERIFY(Link.Open());
    M.Tracking = true;
    (sig == 7 ? M.InNameNo : M.OutNameNo) = no;

    Feed(Answer(quint8(sig), 0, QByteArray(1, char(no)) + "Name"));

    QCOMPARE(M.InNameNo, inNameNo);
    QCOMPARE(M.OutNameNo, outNameNo);
    QCOMPARE(M.TmGetIo, request.isEmpty() ? Now() : NeverTime);
    // The request sent from here runs without an answer deadline: the cycle follows.
    QCOMPARE(M.TmAckTout, NeverTime);
    QCOMPARE(M.TmIoCycle, Now() + 300);
    if (request.isEmpty()) {
        QTest::qWait(20);
        QVERIFY(Link.Module.Received().isEmpty());
    } else {
        QVERIFY(Link.WaitFrames(1));
        QCOMPARE(Link.Module.Received().first().toHex(' '), request.toHex(' '));
    }
}

void TstOrvaneRecv::refusedNameEndsChain() {
    auto& M = MonitorState;
    MakeTiles(3, 2);
    M.Tracking = true;
    M.InNameNo = 2;
    M.TmAckTout = Now() + 2000;
    Feed(Answer(7, 1, QByteArray::fromHex("02")));
    QCOMPARE(M.InNameNo, 2);
    QCOMPARE(M.OutNameNo, 0);
    QCOMPARE(M.TmGetIo, NeverTime);
    QCOMPARE(M.TmAckTout, Now() + 2000);
    QVERIFY(DebugLines().contains(QStringLiteral("InName: error")));
    QCOMPARE(fMainDs->PnlIn[1].lblName->text(), QString());
}

QTEST_MAIN(TstOrvaneRecv)
#include "tst_uMainDsOrvRecv.moc"
