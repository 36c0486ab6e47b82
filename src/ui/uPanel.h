#pragma once

#include <QWidget>

class QPushButton;

// Hidden service panel: fires single steps of the system by hand. It keeps no
// state of its own.
class TfPanel : public QWidget {
    Q_OBJECT

public:
    explicit TfPanel(QWidget* Parent = nullptr);

    QPushButton* btn1 = nullptr;
    QPushButton* btn2 = nullptr;
    QPushButton* btn3 = nullptr;
    QPushButton* btn4 = nullptr;
    QPushButton* btn5 = nullptr;
    QPushButton* btn6 = nullptr;
    QPushButton* btn7 = nullptr;
    QPushButton* btn8 = nullptr;
    QPushButton* btn9 = nullptr;
    QPushButton* btn10 = nullptr;
    QPushButton* btn11 = nullptr;
    QPushButton* btn12 = nullptr;

    void btn1Click();
    void btn2Click();
    void btn3Click();
    void btn4Click();
    void btn5Click();
    void btn6Click();
    void btn7Click();
    void btn8Click();
    void btn9Click();
    void btn10Click();
    void btn11Click();
    void btn12Click();
};

extern TfPanel* fPanel;
