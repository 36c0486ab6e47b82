#pragma once

#include <QString>
#include <QtGlobal>

// Descriptor of the one web request in flight.
class TdmHttpCli {
public:
    qint32 GetID = 0;
    QString URL;
    QString PostStr;
    qint64 Start = 0;
    qint32 StatusCode = -1;
    QString ExcErrStr;
    QString Response;
    qint32 Count = 0;
    qint32 Time = 0;
};

extern TdmHttpCli* dmHttpCli;
