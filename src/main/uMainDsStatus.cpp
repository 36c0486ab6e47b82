// Status line and error overlay.
#include "uMainDs.h"

#include <QLabel>

void TfMainDs::SttInfoStr(char, const QString& S) { lblSttInfo->setText(S); }
