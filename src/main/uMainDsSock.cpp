// The TCP connection to the module's Orvane port.
#include "uMainDs.h"

bool TfMainDs::SockCliOrvOn() { return false; }
bool TfMainDs::SockCliOrvOff() { return true; }
bool TfMainDs::SockCliActive() const { return false; }
void TfMainDs::SockCliConnect() {}
void TfMainDs::SockCliDisconnect() {}
void TfMainDs::SockCliError(int&) {}
void TfMainDs::SockCliRead() {}
