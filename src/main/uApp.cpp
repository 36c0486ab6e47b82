#include "uApp.h"

#include "uDebug.h"
#include "uError.h"
#include "uMainDs.h"
#include "uPanel.h"
#include "udmHttpCliThr.h"

void CreateTopLevelObjects() {
    fMainDs = new TfMainDs;
    fDebug = new TfDebug;
    dmHttpCli = new TdmHttpCli;
    fError = new TfError;
    fPanel = new TfPanel;
}

void DestroyTopLevelObjects() {
    delete fPanel;
    fPanel = nullptr;
    delete fError;
    fError = nullptr;
    delete dmHttpCli;
    dmHttpCli = nullptr;
    delete fDebug;
    fDebug = nullptr;
    delete fMainDs;
    fMainDs = nullptr;
}
