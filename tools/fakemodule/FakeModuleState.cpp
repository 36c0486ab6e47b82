#include "FakeModuleState.h"
