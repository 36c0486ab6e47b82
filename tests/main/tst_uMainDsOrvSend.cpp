#include "OrvaneLink.h"
#include "TestApp.h"
#include "uMainDs.h"
#include "uOrvane97.h"

#include <QTest>

#include <functional>
#include <memory>

class TstOrvaneSend : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void framesOnTheWire_data();
    void framesOnTheWire();
    void withoutConnectionNothingIsArmed();
    void tooLongDataIsAFailedSend();
    void sendDropsStagedBytes();

private:
    std::unique_ptr<TTestApp> App;
};

void TstOrvaneSend::init() {
    App = std::make_unique<TTestApp>();
}

void TstOrvaneSend::cleanup() {
    App.reset();
}

using TSend = std::function<bool(TfMainDs*)>;
Q_DECLARE_METATYPE(TSend)

void TstOrvaneSend::framesOnTheWire_data() {
    QTest::addColumn<TSend>("send");
    QTest::addColumn<int>("outTiles");
    QTest::addColumn<QString>("outSet");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("armed");

    const auto Hex = [](const char* S) { return QByteArray::fromHex(S); };
    QTest::newRow("identification")
        << TSend([](TfMainDs* W) { return W->OrvaneSendT(0x31, 1, 0xF3, {}, 100); }) << 0 << ""
        << Hex("2A6100053101F34A0D") << false;
    QTest::newRow("get inputs") << TSend(&TfMainDs::SendGetInputs) << 0 << ""
                                << Hex("2A610005310431090D") << true;
    QTest::newRow("get outputs") << TSend(&TfMainDs::SendGetOutputs) << 0 << ""
                                 << Hex("2A610005310530090D") << true;
    QTest::newRow("set 3 outputs: on, off, on") << TSend(&TfMainDs::SendSetOutputs) << 3 << "101"
                                                << Hex("2A6100083106208102830F0D") << true;
    QTest::newRow("set outputs cut to 2 tiles")
        << TSend(&TfMainDs::SendSetOutputs) << 2 << "1111" << Hex("2A6100073106208182130D") << true;
    QTest::newRow("set outputs with an empty request")
        << TSend(&TfMainDs::SendSetOutputs) << 2 << "" << Hex("2A610005310620180D") << true;
    QTest::newRow("set outputs, request shorter than the tiles")
        << TSend(&TfMainDs::SendSetOutputs) << 3 << "1" << Hex("2A61000631062081960D") << true;
    QTest::newRow("name of input 1") << TSend([](TfMainDs* W) { return W->SendGetInputName(1); })
                                     << 0 << "" << Hex("2A61000631073B01FA0D") << true;
    QTest::newRow("name of output 2") << TSend([](TfMainDs* W) { return W->SendGetOutputName(2); })
                                      << 0 << "" << Hex("2A61000631083A02F90D") << true;
}

void TstOrvaneSend::framesOnTheWire() {
    QFETCH(TSend, send);
    QFETCH(int, outTiles);
    QFETCH(QString, outSet);
    QFETCH(QByteArray, frame);
    QFETCH(bool, armed);
    TOrvaneLink Link(0, outTiles);
    MakeTiles(0, outTiles);
    MonitorState.OutSet = ToArray(outSet);
    QVERIFY(Link.Open());

    QVERIFY(send(fMainDs));

    QCOMPARE(MonitorState.TmAckTout, armed ? Now() + 2000 : NeverTime);
    QVERIFY(Link.WaitFrames(1));
    QCOMPARE(Link.Module.Received().size(), 1);
    QCOMPARE(Link.Module.Received().first().toHex(' '), frame.toHex(' '));
}

void TstOrvaneSend::withoutConnectionNothingIsArmed() {
    MakeTiles(1, 1);
    QVERIFY(!fMainDs->SendGetInputs());
    QVERIFY(!fMainDs->SendSetOutputs());
    QVERIFY(!fMainDs->SendGetOutputName(1));
    QCOMPARE(MonitorState.TmAckTout, NeverTime);
}

void TstOrvaneSend::tooLongDataIsAFailedSend() {
    TOrvaneLink Link(0, 0);
    QVERIFY(Link.Open());
    QVERIFY(!fMainDs->OrvaneSendT(0x31, 6, 0x20, QByteArray(OrvaneMaxData + 1, '\x01'), 100));
    // The longest frame the length field can carry still goes out.
    QVERIFY(fMainDs->OrvaneSendT(0x31, 6, 0x20, QByteArray(OrvaneMaxData, '\x01'), 100));
    QVERIFY(Link.WaitFrames(1));
    QCOMPARE(Link.Module.Received().first().size(), OrvaneMaxData + 9);
}

void TstOrvaneSend::sendDropsStagedBytes() {
    TOrvaneLink Link(1, 0);
    QVERIFY(Link.Open());
    MonitorState.RxStage = Answer(4, 0, QByteArray::fromHex("01"));
    QVERIFY(fMainDs->SendGetInputs());
    QVERIFY(MonitorState.RxStage.isEmpty());
}

QTEST_MAIN(TstOrvaneSend)
#include "tst_uMainDsOrvSend.moc"
