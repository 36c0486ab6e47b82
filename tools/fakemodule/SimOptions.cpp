#include "SimOptions.h"

#include <QCommandLineParser>

namespace {

struct TOpt {
    QCommandLineOption Mode{QStringLiteral("mode"),
                            QStringLiteral("Communication mode the settings document reports:\n"
                                           "0 TCP server (Orvane), 3 WEB; 1 TCP client or\n"
                                           "2 UDP to see Dorsena refuse them. Default 0."),
                            QStringLiteral("0-3"), QStringLiteral("0")};
    QCommandLineOption Address{QStringLiteral("address"),
                               QStringLiteral("IPv4 address both ports listen on. Default\n"
                                              "127.0.0.1 (this computer only)."),
                               QStringLiteral("ip"), QStringLiteral("127.0.0.1")};
    QCommandLineOption HttpPort{QStringLiteral("http-port"),
                                QStringLiteral("Port of the web documents; 0 takes a free one\n"
                                               "(the start-up line names it). Default 8080."),
                                QStringLiteral("port"), QStringLiteral("8080")};
    QCommandLineOption OrvPort{
        QStringLiteral("orvane-port"),
        QStringLiteral("Orvane TCP port (mode 0 only), reported as lport\n"
                       "in settings.xml; 0 takes a free one. Default 10001."),
        QStringLiteral("port"), QStringLiteral("10001")};
    QCommandLineOption Inputs{QStringLiteral("inputs"),
                              QStringLiteral("Number of inputs, 0 to 256. Default 8."),
                              QStringLiteral("n"), QStringLiteral("8")};
    QCommandLineOption Outputs{QStringLiteral("outputs"),
                               QStringLiteral("Number of outputs, 0 to 256 (127 in mode 0).\n"
                                              "Default 8."),
                               QStringLiteral("n"), QStringLiteral("8")};
    QCommandLineOption Name{QStringLiteral("name"),
                            QStringLiteral("Name of the module. Default \"Bench module\"."),
                            QStringLiteral("text"), QStringLiteral("Bench module")};
    QCommandLineOption Serial{QStringLiteral("serial"),
                              QStringLiteral("Serial number shown as S/N. Default 1."),
                              QStringLiteral("text"), QStringLiteral("1")};
    QCommandLineOption InNames{QStringLiteral("in-names"),
                               QStringLiteral("Comma-separated input names, in order; inputs\n"
                                              "left out or left empty are \"In n\"."),
                               QStringLiteral("list")};
    QCommandLineOption OutNames{QStringLiteral("out-names"),
                                QStringLiteral("Comma-separated output names; outputs left out\n"
                                               "are \"Out n\"."),
                                QStringLiteral("list")};
    QCommandLineOption Toggle{QStringLiteral("toggle-ms"),
                              QStringLiteral("Inputs change by themselves: one input flips\n"
                                             "every this many ms (10 or more; 0 never).\n"
                                             "Default 0."),
                              QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption Silent{QStringLiteral("orv-silent"),
                              QStringLiteral("Fault: take Orvane requests but never answer.")};
    QCommandLineOption SilentAfter{QStringLiteral("orv-silent-after"),
                                   QStringLiteral("Fault: answer Orvane requests for this many\n"
                                                  "seconds after start, then stop answering."),
                                   QStringLiteral("s"), QStringLiteral("0")};
    QCommandLineOption DropEvery{QStringLiteral("orv-drop-every"),
                                 QStringLiteral("Fault: close the Orvane connection every this\n"
                                                "many seconds."),
                                 QStringLiteral("s"), QStringLiteral("0")};
    QCommandLineOption GarbageEvery{QStringLiteral("orv-garbage-every"),
                                    QStringLiteral("Fault: every this many seconds, send stray\n"
                                                   "bytes and a broken frame before an answer."),
                                    QStringLiteral("s"), QStringLiteral("0")};
    QCommandLineOption Pieces{QStringLiteral("orv-pieces"),
                              QStringLiteral("Send Orvane answers in pieces of this many bytes\n"
                                             "(0: whole)."),
                              QStringLiteral("bytes"), QStringLiteral("0")};
    QCommandLineOption HttpDelay{QStringLiteral("http-delay"),
                                 QStringLiteral("Fault: answer every web request this many ms\n"
                                                "late (Dorsena reports \"Get timeout\" from\n"
                                                "5000)."),
                                 QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption HttpStatus{QStringLiteral("http-status"),
                                  QStringLiteral("Fault: answer /fresh.xml and /set.xml with this\n"
                                                 "status code, e.g. 404 or 500. Default 200."),
                                  QStringLiteral("code"), QStringLiteral("200")};
    QCommandLineOption HttpHang{QStringLiteral("http-hang"),
                                QStringLiteral("Fault: take /fresh.xml requests, never answer.")};
    QCommandLineOption HttpDrop{QStringLiteral("http-drop"),
                                QStringLiteral("Fault: close /fresh.xml connections without a\n"
                                               "word.")};
    QCommandLineOption Answers{QStringLiteral("answers"),
                               QStringLiteral("Also print every answer sent.")};
    QCommandLineOption Quiet{QStringLiteral("quiet"),
                             QStringLiteral("Print only the start-up line and errors.")};
};

constexpr int MaxItems = 256;
// An output's number travels in bits 0 to 6 of the Orvane set command.
constexpr int MaxOrvaneOutputs = 127;

void Describe(QCommandLineParser& P, const TOpt& O) {
    P.setApplicationDescription(QStringLiteral(
        "A simulated Tarvo I/O module for Dorsena, in one process: its web documents\n"
        "(/settings.xml, /fresh.xml, /set.xml) over HTTP and, in mode 0, the Orvane\n"
        "protocol (frame format 97) on its TCP port; both share one set of inputs and\n"
        "outputs. Point Dorsena's address field at <address>:<http-port>.\n"
        "\n"
        "Every line printed starts with the milliseconds since start:\n"
        "  HTTP GET <path>              a web request received\n"
        "  ORV sig <n> <what>: <hex>    an Orvane request received\n"
        "  ORV connected / closed       the Orvane connection\n"
        "  outputs 10000000             output states after a change, output 1 first\n"
        "  inputs 01000000              input states after a change (--toggle-ms)\n"
        "Stop it with Ctrl-C."));
    P.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    P.addHelpOption();
    P.addOptions({O.Mode,        O.Address,   O.HttpPort,     O.OrvPort,  O.Inputs,    O.Outputs,
                  O.Name,        O.Serial,    O.InNames,      O.OutNames, O.Toggle,    O.Silent,
                  O.SilentAfter, O.DropEvery, O.GarbageEvery, O.Pieces,   O.HttpDelay, O.HttpStatus,
                  O.HttpHang,    O.HttpDrop,  O.Answers,      O.Quiet});
}

// Names from a comma list, filled up with Prefix + number.
bool NamesFrom(const QString& List, int Count, const QString& Prefix, const QString& Option,
               QStringList& Out, QString& Error) {
    Out = List.isEmpty() ? QStringList() : List.split(QLatin1Char(','));
    if (Out.size() > Count) {
        Error = QStringLiteral("--%1 gives %2 names for %3 (set the count first)")
                    .arg(Option)
                    .arg(Out.size())
                    .arg(Count);
        return false;
    }
    Out.resize(Count);
    for (qsizetype I = 0; I < Count; ++I) {
        Out[I] = Out[I].trimmed();
        if (Out[I].isEmpty())
            Out[I] = Prefix + QString::number(I + 1);
    }
    return true;
}

} // namespace

bool ParseSimOptions(const QStringList& Args, TSimOptions& Options, QString& Error) {
    const TOpt O;
    QCommandLineParser P;
    Describe(P, O);
    if (!P.parse(Args)) {
        Error = P.errorText();
        return false;
    }
    if (!P.positionalArguments().isEmpty()) {
        Error = QStringLiteral("unexpected argument \"%1\"").arg(P.positionalArguments().first());
        return false;
    }
    TSimOptions R;
    R.Help = P.isSet(QStringLiteral("help")) || P.isSet(QStringLiteral("help-all"));
    if (R.Help) {
        Options = R;
        return true;
    }
    // Whole decimal numbers only: "8x", "0x10" and "" are refused.
    const auto Int = [&P, &Error](const QCommandLineOption& Opt, int Min, int Max, int& Value) {
        bool Ok = false;
        const QString Text = P.value(Opt).trimmed();
        const qlonglong V = Text.toLongLong(&Ok, 10);
        if (!Ok || V < Min || V > Max) {
            Error = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                        .arg(Opt.names().first())
                        .arg(Min)
                        .arg(Max)
                        .arg(P.value(Opt));
            return false;
        }
        Value = static_cast<int>(V);
        return true;
    };
    if (!Int(O.Mode, 0, 3, R.Mode) || !Int(O.HttpPort, 0, 65535, R.HttpPort) ||
        !Int(O.OrvPort, 0, 65535, R.OrvanePort) || !Int(O.Inputs, 0, MaxItems, R.Inputs) ||
        !Int(O.Outputs, 0, MaxItems, R.Outputs) || !Int(O.Toggle, 0, 86400000, R.ToggleMs) ||
        !Int(O.SilentAfter, 0, 86400, R.OrvSilentAfterS) ||
        !Int(O.DropEvery, 0, 86400, R.OrvDropEveryS) ||
        !Int(O.GarbageEvery, 0, 86400, R.OrvGarbageEveryS) ||
        !Int(O.Pieces, 0, 65536, R.OrvPieceBytes) || !Int(O.HttpDelay, 0, 600000, R.HttpDelayMs) ||
        !Int(O.HttpStatus, 100, 599, R.HttpStatus))
        return false;
    if (R.Mode == 0 && R.Outputs > MaxOrvaneOutputs) {
        Error = QStringLiteral("mode 0 has at most %1 outputs: the Orvane set command numbers "
                               "them in 7 bits")
                    .arg(MaxOrvaneOutputs);
        return false;
    }
    if (R.ToggleMs > 0 && R.ToggleMs < 10) {
        Error = QStringLiteral("--toggle-ms takes 0 or at least 10");
        return false;
    }
    // Dorsena's address field takes dotted IPv4 only.
    const QString AddressText = P.value(O.Address).trimmed();
    R.Address = QHostAddress(AddressText);
    if (R.Address.isNull() || R.Address.protocol() != QAbstractSocket::IPv4Protocol ||
        AddressText.count(QLatin1Char('.')) != 3) {
        Error = QStringLiteral("--address takes a dotted IPv4 address such as 127.0.0.1, not "
                               "\"%1\"")
                    .arg(P.value(O.Address));
        return false;
    }
    if (R.Mode == 0 && R.HttpPort != 0 && R.HttpPort == R.OrvanePort) {
        Error = QStringLiteral("--http-port and --orvane-port are both %1").arg(R.HttpPort);
        return false;
    }
    R.Name = P.value(O.Name);
    R.SerialNo = P.value(O.Serial);
    if (!NamesFrom(P.value(O.InNames), R.Inputs, QStringLiteral("In "), QStringLiteral("in-names"),
                   R.InNames, Error) ||
        !NamesFrom(P.value(O.OutNames), R.Outputs, QStringLiteral("Out "),
                   QStringLiteral("out-names"), R.OutNames, Error))
        return false;
    R.OrvSilent = P.isSet(O.Silent);
    R.HttpHang = P.isSet(O.HttpHang);
    R.HttpDrop = P.isSet(O.HttpDrop);
    if (R.HttpHang && R.HttpDrop) {
        Error = QStringLiteral("--http-hang and --http-drop exclude each other");
        return false;
    }
    R.ShowAnswers = P.isSet(O.Answers);
    R.Quiet = P.isSet(O.Quiet);
    Options = R;
    return true;
}

QString SimHelpText() {
    const TOpt O;
    QCommandLineParser P;
    Describe(P, O);
    return P.helpText();
}
