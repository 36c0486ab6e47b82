#pragma once

#include "uClock.h"
#include "uMonitorState.h"

#include <QByteArray>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTcpSocket;
class QTimer;

// Controls of one input tile. A tile skipped by an add that jumped numbers has
// no controls: every pointer is null.
struct TPnlIn {
    QFrame* pnlMain = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblStt = nullptr;
    QLabel* imgStt = nullptr;
};

struct TPnlOut {
    QFrame* pnlMain = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblStt = nullptr;
    QLabel* imgStt = nullptr;
    QPushButton* btnOn = nullptr;
    QPushButton* btnOff = nullptr;
};

// Status kinds of SttInfoStr.
inline constexpr char SttError = '!';
inline constexpr char SttInfo = 'O';

// Every message box of the main window goes through here, so tests can answer it.
using TMessageBoxProc = std::function<void(QWidget* Parent, const QString& Text)>;
extern TMessageBoxProc MessageBoxProc;

class TfMainDs : public QWidget {
    Q_OBJECT

public:
    explicit TfMainDs(QWidget* Parent = nullptr);
    ~TfMainDs() override;

    // Top bar
    QFrame* pnl1 = nullptr;
    QLabel* lbl3 = nullptr;
    QLabel* lbl4 = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* lbl6 = nullptr;
    QLineEdit* edtIpAdr = nullptr;
    QPushButton* btnTrackSw = nullptr;
    // Bottom bar
    QFrame* pnl2 = nullptr;
    QLabel* pnl4 = nullptr; // busy indicator
    QLabel* lbl9 = nullptr;
    QLabel* lbl5 = nullptr;
    QLabel* lblSttInfo = nullptr;
    QFrame* pnl3 = nullptr; // hidden gesture area for the service panel
    // Tile area; tiles are children of scrlbx1Client, placed in its coordinates
    QScrollArea* scrlbx1 = nullptr;
    QWidget* scrlbx1Client = nullptr;
    QLabel* lblInputs = nullptr;
    QLabel* lblOutputs = nullptr;
    QLabel* lblErr = nullptr;
    QFrame* pnlIn = nullptr;
    QLabel* imgIn = nullptr;
    QLabel* lblInName = nullptr;
    QLabel* lblInStt = nullptr;
    QFrame* pnlOut = nullptr;
    QLabel* imgOut = nullptr;
    QLabel* lblOutName = nullptr;
    QLabel* lblOutStt = nullptr;
    QPushButton* btnOn = nullptr;
    QPushButton* btnOff = nullptr;
    // Not visible
    QTimer* tmr1 = nullptr;
    QTcpSocket* SockCli = nullptr;
    bool SockCliConnected = false; // from the connect event to the disconnect event
    QString SockCliTarget;         // "address:port" of the last opening
    QList<QPixmap> il1;

    QList<TPnlIn> PnlIn;
    QList<TPnlOut> PnlOut;

    // Tick scheduler
    void tmr1Timer();
    void TimerProc();
    // Step 12: an index missing from either array is no difference.
    static bool IoOutputsDiffer(const TTarvoIOArray& Stt, const TTarvoIOArray& Set,
                                qsizetype Count);
    // Step 2: calls Proc once, again only while it fails and Buf keeps shrinking.
    static void RxBufProcess(QByteArray& Buf, const std::function<bool()>& Proc);

    // Start, stop and output requests
    void TrackOnProc(TDeadline DT);
    void TrackOffProc();
    void btnTrackSwClick();
    void edtIpAdrKeyPress(QChar& Key);
    void btnOnClick(QObject* Sender);
    void btnOffClick(QObject* Sender);

    // Start-up, window and settings file
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    void pnl3MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers,
                     Qt::MouseButtons ButtonsHeld);
    static bool GetExeVersion(quint16& Major, quint16& Minor, quint16& Release, quint16& Build);
    QString IniFileName() const;

    // Tiles
    void Il1Create();
    void PnlInItemAdd(int N);
    void PnlOutItemAdd(int N);
    bool PnlInSetName(int N, const QString& S);
    bool PnlOutSetName(int N, const QString& S);
    void PnlInSetColor(int N, int C);
    void PnlOutSetColor(int N, int C);
    void PnlInClear();
    void PnlOutClear();
    void PnlInPosUpdate();
    void PnlOutPosUpdate();

    // Status line and error overlay
    void SttInfoStr(char T, const QString& S);

    // Orvane requests
    bool OrvaneSendT(quint8 Adr, quint8 Sig, quint8 Inst, const QByteArray& Data, qint32 Tout);
    bool SendGetInputs();
    bool SendGetOutputs();
    bool SendSetOutputs();
    bool SendGetInputName(quint8 No);
    bool SendGetOutputName(quint8 No);

    // Orvane answers
    bool OrvaneTimerRecv_Buf_Rx();

    // TCP connection
    void SockCliBind();
    bool SockCliOrvOn();
    bool SockCliOrvOff();
    bool SockCliActive() const;
    void SockCliConnect();
    void SockCliDisconnect();
    void SockCliError(int& ErrorCode);
    void SockCliRead();

    // Web documents
    bool GetSettingsXmlStart();
    bool GetSettingsXmlEnd();
    void SetDevInAndOutMax(const QString& Info);
    bool GetFreshXmlStart(int ID);
    bool GetFreshXmlEnd();
    bool GetSetXmlOutStart(int ID);
    bool GetSetXmlOutEnd();

protected:
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateControls();
    void LayoutBars();
    bool Shown = false;
};

extern TfMainDs* fMainDs;
