#include "uPanel.h"

TfPanel* fPanel = nullptr;

TfPanel::TfPanel(QWidget* Parent) : QWidget(Parent) { setWindowTitle(QStringLiteral("fPanel")); }
