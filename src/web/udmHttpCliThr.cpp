#include "udmHttpCliThr.h"

TdmHttpCli* dmHttpCli = nullptr;
