// The simulator's command line: a value it cannot honour must stop it with a
// message naming the option, never start a module that differs from the one asked for.
#include "SimOptions.h"

#include <QTest>

class TstSimOptions : public QObject {
    Q_OBJECT

private slots:
    void refused_data();
    void refused();
    void accepted();
    void namesFillUp();
};

namespace {

QStringList Args(const QString& Line) {
    return QStringList{QStringLiteral("dorsena-sim")} +
           Line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

void TstSimOptions::refused_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << "--bogus"
                                    << "bogus";
    QTest::newRow("stray argument") << "8080"
                                    << "unexpected argument \"8080\"";
    QTest::newRow("mode 4") << "--mode 4"
                            << "--mode takes a whole number from 0 to 3";
    QTest::newRow("mode text") << "--mode web"
                               << "not \"web\"";
    QTest::newRow("number with a tail") << "--inputs 8x"
                                        << "--inputs";
    QTest::newRow("hex number") << "--outputs 0x10"
                                << "--outputs";
    QTest::newRow("port too big") << "--http-port 65536"
                                  << "--http-port";
    QTest::newRow("negative port") << "--orvane-port -1"
                                   << "--orvane-port";
    QTest::newRow("too many inputs") << "--inputs 257"
                                     << "from 0 to 256";
    QTest::newRow("outputs beyond 7 bits in mode 0") << "--outputs 128"
                                                     << "7 bits";
    QTest::newRow("same port twice") << "--http-port 9000 --orvane-port 9000"
                                     << "both 9000";
    QTest::newRow("host name") << "--address localhost"
                               << "dotted IPv4";
    QTest::newRow("IPv6") << "--address ::1"
                          << "dotted IPv4";
    QTest::newRow("short address") << "--address 127.1"
                                   << "dotted IPv4";
    QTest::newRow("more names than inputs") << "--inputs 2 --in-names A,B,C"
                                            << "--in-names gives 3 names for 2";
    QTest::newRow("toggle too fast") << "--toggle-ms 5"
                                     << "--toggle-ms";
    QTest::newRow("status out of range") << "--http-status 99"
                                         << "--http-status";
    QTest::newRow("hang and drop") << "--http-hang --http-drop"
                                   << "exclude";
}

void TstSimOptions::refused() {
    QFETCH(QString, line);
    QFETCH(QString, message);
    TSimOptions O;
    O.Inputs = 42; // must stay as it was
    QString Error;
    QVERIFY(!ParseSimOptions(Args(line), O, Error));
    QVERIFY2(Error.contains(message), qPrintable(Error));
    QCOMPARE(O.Inputs, 42);
}

void TstSimOptions::accepted() {
    TSimOptions O;
    QString Error;
    QVERIFY2(ParseSimOptions(
                 Args(QStringLiteral("--mode 3 --address 127.0.0.2 --http-port 0 --orvane-port 0 "
                                     "--inputs 0 --outputs 256 --toggle-ms 10 --http-status 404 "
                                     "--orv-silent-after 5 --quiet")),
                 O, Error),
             qPrintable(Error));
    QCOMPARE(O.Mode, 3);
    QCOMPARE(O.Address, QHostAddress(QStringLiteral("127.0.0.2")));
    QCOMPARE(O.HttpPort, 0);
    QCOMPARE(O.OrvanePort, 0);
    QCOMPARE(O.Inputs, 0);
    QCOMPARE(O.Outputs, 256);
    QCOMPARE(O.ToggleMs, 10);
    QCOMPARE(O.HttpStatus, 404);
    QCOMPARE(O.OrvSilentAfterS, 5);
    QVERIFY(O.Quiet);
    QVERIFY(!O.Help);

    // No Orvane port in WEB mode, so one number for both is harmless there.
    QVERIFY2(ParseSimOptions(Args(QStringLiteral("--mode 3 --http-port 9000 --orvane-port 9000")),
                             O, Error),
             qPrintable(Error));

    QVERIFY(ParseSimOptions(Args(QStringLiteral("--help --mode 9")), O, Error));
    QVERIFY(O.Help);
}

void TstSimOptions::namesFillUp() {
    TSimOptions O;
    QString Error;
    QVERIFY2(ParseSimOptions(Args(QStringLiteral("--inputs 3 --in-names Door,,Gate --outputs 2")),
                             O, Error),
             qPrintable(Error));
    QCOMPARE(O.InNames,
             QStringList({QStringLiteral("Door"), QStringLiteral("In 2"), QStringLiteral("Gate")}));
    QCOMPARE(O.OutNames, QStringList({QStringLiteral("Out 1"), QStringLiteral("Out 2")}));
    QCOMPARE(O.Mode, 0);
    QCOMPARE(O.HttpPort, 8080);
    QCOMPARE(O.OrvanePort, 10001);
    QCOMPARE(O.Address, QHostAddress(QHostAddress::LocalHost));
}

QTEST_MAIN(TstSimOptions)
#include "tst_SimOptions.moc"
