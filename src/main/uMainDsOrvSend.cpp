// Orvane requests.
#include "uMainDs.h"

bool TfMainDs::OrvaneSendT(quint8, quint8, quint8, const QByteArray&, qint32) { return false; }
bool TfMainDs::SendGetInputs() { return false; }
bool TfMainDs::SendGetOutputs() { return false; }
bool TfMainDs::SendSetOutputs() { return false; }
bool TfMainDs::SendGetInputName(quint8) { return false; }
bool TfMainDs::SendGetOutputName(quint8) { return false; }
