#pragma once

#include "uTarvo.h"

#include <QString>
#include <QStringList>

// What a simulated module is: shared by its web side and its Orvane side.
struct TFakeModuleState {
    int Mode = 0; // 0 TCP server, 1 TCP client, 2 UDP, 3 WEB
    int OrvanePort = 10001;
    QString Name = QStringLiteral("Dorsena simulator");
    QString Info = QStringLiteral("Tarvo sim 8/8;");
    QString SerialNo = QStringLiteral("1");
    QStringList InNames;
    QStringList OutNames;
    TTarvoIOArray Inputs;
    TTarvoIOArray Outputs;
};
