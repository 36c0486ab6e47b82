#include "uOrvane97.h"

#include <QTest>

class TstOrvane97 : public QObject {
    Q_OBJECT

private slots:
    void frameBuild_data();
    void frameBuild();
};

void TstOrvane97::frameBuild_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<int>("inst");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("get inputs") << 4 << 0x31 << QByteArray() << QByteArray::fromHex("2A6100053104310 90D");
    QTest::newRow("set two outputs") << 6 << 0x20 << QByteArray::fromHex("8102")
                                     << QByteArray::fromHex("2A610007310620810293 0D");
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

QTEST_GUILESS_MAIN(TstOrvane97)
#include "tst_uOrvane97.moc"
