#pragma once

#include <QList>

// One element per input or output; element i is number i + 1.
// Resizing keeps existing elements and fills new ones with false.
using TTarvoIOArray = QList<bool>;
