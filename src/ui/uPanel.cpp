#include "uPanel.h"

#include "uDebug.h"
#include "uMainDs.h"
#include "uMonitorState.h"

#include <QPushButton>

TfPanel* fPanel = nullptr;

namespace {

// Name requests carry the item number as one byte.
quint8 LowByte(qint32 No) {
    return static_cast<quint8>(No & 0xFF);
}

} // namespace

TfPanel::TfPanel(QWidget* Parent) : QWidget(Parent, Qt::Window) {
    setWindowTitle(QStringLiteral("fPanel"));
    QFont F(QStringLiteral("Segoe UI"));
    F.setPixelSize(12);
    setFont(F);
    resize(465, 305);

    const auto Make = [this](QPushButton*& Btn, const char* Name, const char* Caption, int X, int Y,
                             int W, int H, void (TfPanel::*Click)()) {
        Btn = new QPushButton(QString::fromLatin1(Caption), this);
        Btn->setObjectName(QString::fromLatin1(Name));
        Btn->setGeometry(X, Y, W, H);
        connect(Btn, &QPushButton::clicked, this, Click);
    };
    Make(btn2, "btn2", "Pause", 8, 9, 75, 25, &TfPanel::btn2Click);
    Make(btn4, "btn4", "Settings.xml", 208, 12, 105, 22, &TfPanel::btn4Click);
    Make(btn6, "btn6", "Info", 8, 40, 73, 20, &TfPanel::btn6Click);
    Make(btn8, "btn8", "GetInputs", 87, 40, 73, 20, &TfPanel::btn8Click);
    Make(btn5, "btn5", "fresh.xml", 208, 40, 105, 20, &TfPanel::btn5Click);
    Make(btn10, "btn10", "OutR", 8, 66, 73, 20, &TfPanel::btn10Click);
    Make(btn11, "btn11", "OutW", 87, 66, 73, 20, &TfPanel::btn11Click);
    Make(btn1, "btn1", "InName 1", 8, 92, 73, 17, &TfPanel::btn1Click);
    Make(btn7, "btn7", "InName Inc", 87, 92, 73, 17, &TfPanel::btn7Click);
    Make(btn9, "btn9", "OutName 1", 8, 115, 73, 17, &TfPanel::btn9Click);
    Make(btn12, "btn12", "OutName Inc", 87, 115, 73, 17, &TfPanel::btn12Click);
    Make(btn3, "btn3", "Debug", 8, 230, 73, 20, &TfPanel::btn3Click);

    const QList<QPushButton*> TabOrder = {btn6, btn8, btn10, btn11, btn1, btn2,
                                          btn4, btn5, btn3,  btn7,  btn9, btn12};
    for (qsizetype I = 1; I < TabOrder.size(); ++I)
        setTabOrder(TabOrder[I - 1], TabOrder[I]);
}

void TfPanel::btn2Click() {
    MonitorState.Tracking = false;
}

void TfPanel::btn4Click() {
    MonitorState.TmSetXmlStart = Now();
}

void TfPanel::btn6Click() {
    fMainDs->OrvaneSendT(0x31, 1, 0xF3, QByteArray(), 100);
}

void TfPanel::btn8Click() {
    fMainDs->SendGetInputs();
}

void TfPanel::btn5Click() {
    MonitorState.TmFreshStart = Now();
}

void TfPanel::btn10Click() {
    fMainDs->SendGetOutputs();
}

void TfPanel::btn11Click() {
    fMainDs->SendSetOutputs();
}

void TfPanel::btn1Click() {
    MonitorState.InNameNo = 1;
    fMainDs->SendGetInputName(1);
}

void TfPanel::btn7Click() {
    MonitorState.InNameNo += 1;
    fMainDs->SendGetInputName(LowByte(MonitorState.InNameNo));
}

void TfPanel::btn9Click() {
    MonitorState.OutNameNo = 1;
    fMainDs->SendGetOutputName(1);
}

void TfPanel::btn12Click() {
    MonitorState.OutNameNo += 1;
    fMainDs->SendGetOutputName(LowByte(MonitorState.OutNameNo));
}

void TfPanel::btn3Click() {
    MonitorState.DebugOn = true;
    fDebug->show();
    fDebug->raise();
    fDebug->activateWindow();
}
