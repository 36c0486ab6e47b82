#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

// The command line of dorsena-sim, read into plain values.
struct TSimOptions {
    int Mode = 0;
    QHostAddress Address = QHostAddress(QHostAddress::LocalHost);
    int HttpPort = 8080;
    int OrvanePort = 10001;
    int Inputs = 8;
    int Outputs = 8;
    QString Name = QStringLiteral("Bench module");
    QString SerialNo = QStringLiteral("1");
    QStringList InNames; // exactly Inputs entries after parsing
    QStringList OutNames;
    int ToggleMs = 0;
    bool OrvSilent = false;
    int OrvSilentAfterS = 0;
    int OrvDropEveryS = 0;
    int OrvGarbageEveryS = 0;
    int OrvPieceBytes = 0;
    int HttpDelayMs = 0;
    int HttpStatus = 200;
    bool HttpHang = false;
    bool HttpDrop = false;
    bool ShowAnswers = false;
    bool Quiet = false;
    bool Help = false;
};

// Args as main receives them, the program name first. False with a message for
// the user on an unknown option or a value out of range; nothing is half-set then
// that the caller would use.
bool ParseSimOptions(const QStringList& Args, TSimOptions& Options, QString& Error);
QString SimHelpText();
