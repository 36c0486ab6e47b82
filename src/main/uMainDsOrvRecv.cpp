// Orvane answers: framing, checking and applying them.
#include "uMainDs.h"

bool TfMainDs::OrvaneTimerRecv_Buf_Rx() { return true; }
