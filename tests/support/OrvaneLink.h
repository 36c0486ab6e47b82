#pragma once

#include "FakeOrvaneModule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Input and output tiles for a test, made by the tile operations.
void MakeTiles(int Inputs, int Outputs);

// Lines of the debug log without their time stamps.
QStringList DebugLines();

// "1" and "0" per element, the way the debug log writes states.
QString Bits(const TTarvoIOArray& Arr);
TTarvoIOArray ToArray(const QString& Bits);

// An answer of the module as it comes on the wire.
QByteArray Answer(quint8 Sig, quint8 Ack, const QByteArray& Data = {});

// A fake module on 127.0.0.1 and the main window's socket aimed at it.
class TOrvaneLink {
public:
    TOrvaneLink(int Inputs, int Outputs);

    TFakeModuleState State;
    TFakeOrvaneModule Module{&State};

    // Address field and OrvPort point at the fake module.
    void Aim();
    // Aim, open and wait for the connect event.
    bool Open();
    bool WaitConnected(int Ms = 5000) const;
    // Pumps events until received bytes wait for the tick.
    bool WaitRx(int Ms = 5000) const;
    // Pumps events until the module has received N frames in all.
    bool WaitFrames(int N, int Ms = 5000) const;
};
