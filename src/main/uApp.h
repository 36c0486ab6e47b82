#pragma once

// The five top-level objects, created in this order and kept until exit:
// fMainDs, fDebug, dmHttpCli, fError, fPanel.
void CreateTopLevelObjects();
void DestroyTopLevelObjects();
