#include "uMonitorState.h"

TMonitorState MonitorState;
