// The module's web documents: starting requests and reading their answers.
#include "uMainDs.h"

bool TfMainDs::GetSettingsXmlStart() { return false; }
bool TfMainDs::GetSettingsXmlEnd() { return false; }
void TfMainDs::SetDevInAndOutMax(const QString&) {}
bool TfMainDs::GetFreshXmlStart(int) { return false; }
bool TfMainDs::GetFreshXmlEnd() { return false; }
bool TfMainDs::GetSetXmlOutStart(int) { return false; }
bool TfMainDs::GetSetXmlOutEnd() { return false; }
