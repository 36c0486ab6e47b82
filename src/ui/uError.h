#pragma once

#include <QWidget>

class QLabel;

// Always-on-top overlay that repeats a persisting error in large red letters.
class TfError : public QWidget {
    Q_OBJECT

public:
    explicit TfError(QWidget* Parent = nullptr);

    QLabel* lbl1 = nullptr;
};

extern TfError* fError;
