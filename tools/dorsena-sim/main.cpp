// dorsena-sim: a Tarvo module on the desk. It serves the module's web
// documents and speaks Orvane on its TCP port, and prints what it receives so
// the conversation can be watched from the module's side.
#include "FakeHttpModule.h"
#include "FakeModuleState.h"
#include "FakeOrvaneModule.h"
#include "SimOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

namespace {

QElapsedTimer Clock;

void Print(const QString& S) {
    static QTextStream Out(stdout);
    Out << QStringLiteral("%1 ms  ").arg(Clock.elapsed(), 8) << S << Qt::endl;
}

int Fail(const QString& Message) {
    QTextStream(stderr) << "dorsena-sim: " << Message << Qt::endl;
    return 2;
}

QString ModeName(int Mode) {
    static const char* const Names[] = {"TCP server", "TCP client", "UDP", "WEB"};
    return QString::fromLatin1(Names[Mode]);
}

QString Bits(const TTarvoIOArray& A) {
    QString S;
    for (const bool B : A)
        S += B ? QLatin1Char('1') : QLatin1Char('0');
    return S;
}

// What a received request asks for, in words.
QString Describe(const QByteArray& F) {
    if (F.size() < 9)
        return QStringLiteral("short frame");
    const int Sig = static_cast<quint8>(F[5]);
    const QByteArray Data = F.mid(7, F.size() - 9);
    const int First = Data.isEmpty() ? 0 : static_cast<quint8>(Data[0]);
    switch (Sig) {
    case 1:
        return QStringLiteral("identification");
    case 4:
        return QStringLiteral("read inputs");
    case 5:
        return QStringLiteral("read outputs");
    case 6: {
        QStringList Parts;
        for (const char C : Data)
            Parts.append(QStringLiteral("%1=%2")
                             .arg(static_cast<quint8>(C) & 0x7F)
                             .arg((static_cast<quint8>(C) & 0x80) ? QStringLiteral("on")
                                                                  : QStringLiteral("off")));
        return QStringLiteral("set outputs ") + Parts.join(QLatin1Char(' '));
    }
    case 7:
        return QStringLiteral("name of input %1").arg(First);
    case 8:
        return QStringLiteral("name of output %1").arg(First);
    default:
        return QStringLiteral("unknown request");
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication App(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dorsena-sim"));
    Clock.start();

    TSimOptions Opt;
    QString Error;
    if (!ParseSimOptions(App.arguments(), Opt, Error))
        return Fail(Error + QStringLiteral(" (see dorsena-sim --help)"));
    if (Opt.Help) {
        QTextStream(stdout) << SimHelpText();
        return 0;
    }

    TFakeModuleState State;
    State.Mode = Opt.Mode;
    State.OrvanePort = Opt.OrvanePort;
    State.Name = Opt.Name;
    State.SerialNo = Opt.SerialNo;
    // Dorsena counts the tiles from the token before the first ';'.
    State.Info = QStringLiteral("Tarvo simulator %1/%2;").arg(Opt.Inputs).arg(Opt.Outputs);
    State.InNames = Opt.InNames;
    State.OutNames = Opt.OutNames;
    State.Inputs = TTarvoIOArray(Opt.Inputs, false);
    State.Outputs = TTarvoIOArray(Opt.Outputs, false);

    const bool Verbose = !Opt.Quiet;
    TFakeHttpModule Http(&State);
    TFakeOrvaneModule Orvane(&State);

    TTarvoIOArray ShownOutputs = State.Outputs;
    const auto ShowOutputs = [&State, &ShownOutputs, Verbose] {
        if (State.Outputs == ShownOutputs)
            return;
        ShownOutputs = State.Outputs;
        if (Verbose)
            Print(QStringLiteral("outputs ") + Bits(State.Outputs));
    };
    QObject::connect(&Http, &TFakeHttpModule::StateChanged, ShowOutputs);
    // The frame is announced before it is applied; look at the outputs after.
    QObject::connect(&Orvane, &TFakeOrvaneModule::FrameReceived,
                     [&ShowOutputs] { QTimer::singleShot(0, ShowOutputs); });
    if (Verbose) {
        QObject::connect(&Http, &TFakeHttpModule::RequestReceived, [](const TFakeHttpRequest& R) {
            Print(QStringLiteral("HTTP %1 %2").arg(R.Method, R.Target()));
        });
        QObject::connect(&Orvane, &TFakeOrvaneModule::FrameReceived, [](const QByteArray& F) {
            const int Sig = F.size() > 5 ? static_cast<quint8>(F[5]) : -1;
            Print(QStringLiteral("ORV sig %1 %2: %3")
                      .arg(Sig)
                      .arg(Describe(F), QString::fromLatin1(F.toHex(' ').toUpper())));
        });
        QObject::connect(&Orvane, &TFakeOrvaneModule::ClientConnected,
                         [] { Print(QStringLiteral("ORV connected")); });
        QObject::connect(&Orvane, &TFakeOrvaneModule::ClientDisconnected,
                         [] { Print(QStringLiteral("ORV closed")); });
    }
    if (Verbose && Opt.ShowAnswers) {
        Http.LogProc = [](const QString& S) { Print(QStringLiteral("HTTP answer ") + S); };
        Orvane.SetLog([](const QString& S) {
            if (S.startsWith(QLatin1String("tx ")))
                Print(QStringLiteral("ORV answer: ") + S.mid(3).toUpper());
        });
    }

    if (!Http.Listen(Opt.Address, static_cast<quint16>(Opt.HttpPort)))
        return Fail(QStringLiteral("cannot listen on %1:%2 for the web documents: %3")
                        .arg(Opt.Address.toString())
                        .arg(Opt.HttpPort)
                        .arg(Http.ErrorString()));
    // Only a module in TCP-server mode listens for Orvane.
    if (Opt.Mode == 0 && !Orvane.Listen(static_cast<quint16>(Opt.OrvanePort), Opt.Address))
        return Fail(QStringLiteral("cannot listen on %1:%2 for Orvane: %3")
                        .arg(Opt.Address.toString())
                        .arg(Opt.OrvanePort)
                        .arg(Orvane.ErrorString()));

    if (Opt.HttpDelayMs > 0)
        for (const char* Path : {"/settings.xml", "/fresh.xml", "/set.xml"})
            Http.SetDelay(QString::fromLatin1(Path), Opt.HttpDelayMs);
    if (Opt.HttpStatus != 200) {
        Http.SetStatus(QStringLiteral("/fresh.xml"), Opt.HttpStatus);
        Http.SetStatus(QStringLiteral("/set.xml"), Opt.HttpStatus);
    }
    if (Opt.HttpHang)
        Http.SetHang(QStringLiteral("/fresh.xml"));
    if (Opt.HttpDrop)
        Http.SetDrop(QStringLiteral("/fresh.xml"));
    Orvane.SetAnswering(!Opt.OrvSilent);
    Orvane.SetPieceSize(Opt.OrvPieceBytes);

    QTimer ToggleTimer, DropTimer, GarbageTimer;
    if (Opt.ToggleMs > 0 && Opt.Inputs > 0) {
        // A walking bit, so every input changes now and then.
        QObject::connect(&ToggleTimer, &QTimer::timeout, [&State, Verbose, Step = 0]() mutable {
            const qsizetype I = Step++ % State.Inputs.size();
            State.Inputs[I] = !State.Inputs[I];
            if (Verbose)
                Print(QStringLiteral("inputs ") + Bits(State.Inputs));
        });
        ToggleTimer.start(Opt.ToggleMs);
    }
    if (Opt.Mode == 0 && Opt.OrvSilentAfterS > 0 && !Opt.OrvSilent)
        QTimer::singleShot(Opt.OrvSilentAfterS * 1000, &Orvane, [&Orvane] {
            Print(QStringLiteral("fault: Orvane answers stop"));
            Orvane.SetAnswering(false);
        });
    if (Opt.Mode == 0 && Opt.OrvDropEveryS > 0) {
        QObject::connect(&DropTimer, &QTimer::timeout, [&Orvane] {
            if (Orvane.ClientCount() == 0)
                return;
            Print(QStringLiteral("fault: closing the Orvane connection"));
            Orvane.CloseClients();
        });
        DropTimer.start(Opt.OrvDropEveryS * 1000);
    }
    if (Opt.Mode == 0 && Opt.OrvGarbageEveryS > 0) {
        QObject::connect(&GarbageTimer, &QTimer::timeout, [&Orvane] {
            Print(QStringLiteral("fault: garbage before the next answer"));
            // Stray bytes, then a frame start whose length points past its end.
            Orvane.InjectBeforeNextAnswer(QByteArray::fromHex("00FF0D2A6100073104"));
        });
        GarbageTimer.start(Opt.OrvGarbageEveryS * 1000);
    }

    const QString Host = Opt.Address.toString();
    Print(QStringLiteral("module \"%1\", mode %2 (%3), %4 inputs, %5 outputs")
              .arg(State.Name)
              .arg(Opt.Mode)
              .arg(ModeName(Opt.Mode))
              .arg(Opt.Inputs)
              .arg(Opt.Outputs));
    // One line per port, so scripts can read the ports taken for 0.
    Print(
        QStringLiteral("web http://%1:%2/ (Dorsena's address: %1:%2)").arg(Host).arg(Http.Port()));
    if (Opt.Mode == 0)
        Print(QStringLiteral("orvane %1:%2").arg(Host).arg(Orvane.Port()));
    return App.exec();
}
