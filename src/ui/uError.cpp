#include "uError.h"

#include <QLabel>

TfError* fError = nullptr;

TfError::TfError(QWidget* Parent) : QWidget(Parent) {
    setWindowTitle(QStringLiteral("Dorsena - Error"));
    lbl1 = new QLabel(this);
}
