// Status line and error overlay.
#include "uMainDs.h"

#include "uError.h"

#include <QLabel>

void TfMainDs::SttInfoStr(char T, const QString& S) {
    if (T == SttError) {
        if (fError) {
            fError->lbl1->setText(S);
            fError->lbl1->adjustSize();
            // Outer width = label + 100; resize() keeps the left edge, so a
            // visible overlay grows to the right.
            const int Frame = fError->frameGeometry().width() - fError->width();
            fError->resize(qMax(1, fError->lbl1->width() + 100 - Frame), fError->height());
            if (fError->isHidden())
                MonitorState.TmErrShow = Now() + 5000;
            // Showing brings a hidden one to the front anyway.
            if (fError->isVisible())
                fError->raise();
        }
    } else {
        lblErr->clear();
        if (fError && fError->isVisible())
            fError->hide();
        MonitorState.TmErrShow = NeverTime;
    }
    lblSttInfo->setText(S);
}
