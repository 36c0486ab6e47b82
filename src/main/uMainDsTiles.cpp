// Input and output tiles.
#include "uMainDs.h"

void TfMainDs::PnlInItemAdd(int) {}
void TfMainDs::PnlOutItemAdd(int) {}
bool TfMainDs::PnlInSetName(int, const QString&) { return false; }
bool TfMainDs::PnlOutSetName(int, const QString&) { return false; }
void TfMainDs::PnlInSetColor(int, int) {}
void TfMainDs::PnlOutSetColor(int, int) {}
void TfMainDs::PnlInClear() { PnlIn.clear(); }
void TfMainDs::PnlOutClear() { PnlOut.clear(); }
void TfMainDs::PnlInPosUpdate() {}
void TfMainDs::PnlOutPosUpdate() {}
