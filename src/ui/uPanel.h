#pragma once

#include <QWidget>

class QPushButton;

// Hidden service panel: single requests by hand.
class TfPanel : public QWidget {
    Q_OBJECT

public:
    explicit TfPanel(QWidget* Parent = nullptr);
};

extern TfPanel* fPanel;
