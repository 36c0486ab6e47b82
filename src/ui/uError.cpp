#include "uError.h"

#include <QLabel>

TfError* fError = nullptr;

TfError::TfError(QWidget* Parent) : QWidget(Parent) {
    // A title but no system menu and no minimise, maximise or close button:
    // only an information hides the overlay.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    // The alarm must not take the keyboard away from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Dorsena - Error"));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    QFont F(QStringLiteral("Segoe UI"));
    F.setPixelSize(12);
    setFont(F);
    resize(250, 159);

    lbl1 = new QLabel(this);
    QFont Big(QStringLiteral("Segoe UI"));
    Big.setPixelSize(67);
    Big.setBold(true);
    lbl1->setFont(Big);
    QPalette Pal = lbl1->palette();
    Pal.setColor(QPalette::WindowText, Qt::red);
    lbl1->setPalette(Pal);
    lbl1->move(32, 32);
    lbl1->adjustSize();
    // A native window from the start, so its frame is known before the first
    // showing and the outer width can be set exactly.
    winId();
}
