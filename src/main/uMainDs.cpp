// Main window: creation, layout of its bars, show, resize, close and the
// settings file.
#include "uMainDs.h"

#include "uDebug.h"
#include "uPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QTcpSocket>
#include <QTimer>

TfMainDs* fMainDs = nullptr;

TMessageBoxProc MessageBoxProc = [](QWidget* Parent, const QString& Text) {
    QMessageBox Box(QMessageBox::Warning, QString(), Text, QMessageBox::Ok, Parent);
    Box.setWindowModality(Qt::ApplicationModal);
    Box.exec();
};

namespace {

constexpr int DesignWidth = 904;
constexpr int DesignHeight = 423;
constexpr int TopBarHeight = 38;
constexpr int BottomBarHeight = 31;

QFont WindowFont(int PixelSize, bool Bold = false) {
    QFont F(QStringLiteral("Segoe UI"));
    F.setPixelSize(PixelSize);
    F.setBold(Bold);
    return F;
}

QLabel* MakeLabel(QWidget* Parent, const QString& Text, int X, int Y, const QFont& Font) {
    auto* L = new QLabel(Text, Parent);
    L->setFont(Font);
    L->move(X, Y);
    L->adjustSize();
    return L;
}

QFrame* MakePanel(QWidget* Parent, int X, int Y, int W, int H) {
    auto* P = new QFrame(Parent);
    P->setGeometry(X, Y, W, H);
    P->setFrameShape(QFrame::Panel);
    P->setFrameShadow(QFrame::Raised);
    P->setLineWidth(1);
    return P;
}

int IniInt(const QSettings& Ini, const QString& Key, int Default) {
    bool Ok = false;
    const int V = Ini.value(Key).toString().trimmed().toInt(&Ok);
    return Ok ? V : Default;
}

// The INI reader turns an unquoted comma into a list; the address is one text.
QString IniText(const QSettings& Ini, const QString& Key, const QString& Default) {
    const QVariant V = Ini.value(Key, Default);
    if (V.typeId() == QMetaType::QStringList)
        return V.toStringList().join(u',');
    return V.toString();
}

} // namespace

TfMainDs::TfMainDs(QWidget* Parent) : QWidget(Parent) {
    CreateControls();
    FormCreate();
}

TfMainDs::~TfMainDs() {
    // The socket dies with the window and reports its close: nobody is left to hear it.
    if (SockCli)
        SockCli->disconnect(this);
}

void TfMainDs::CreateControls() {
    setWindowTitle(QStringLiteral("Dorsena"));
    setFont(WindowFont(12));
    setMinimumWidth(500);
    setAutoFillBackground(true);

    pnl1 = new QFrame(this);
    lbl3 = MakeLabel(pnl1, QStringLiteral("Name :"), 8, 12, WindowFont(12));
    lbl4 = MakeLabel(pnl1, QStringLiteral("---"), 52, 9, WindowFont(16, true));
    lbl4->resize(184, lbl4->height());
    lblInfo = MakeLabel(pnl1, QStringLiteral("---"), 240, 12, WindowFont(12));
    lbl6 = MakeLabel(pnl1, QStringLiteral("IP address [:port]"), 617, 12, WindowFont(12));
    edtIpAdr = new QLineEdit(pnl1);
    edtIpAdr->setGeometry(713, 8, 104, 23);
    edtIpAdr->installEventFilter(this);
    btnTrackSw = new QPushButton(QStringLiteral("Start"), pnl1);
    btnTrackSw->setGeometry(833, 7, 50, 25);
    connect(btnTrackSw, &QPushButton::clicked, this, [this] { btnTrackSwClick(); });

    pnl2 = new QFrame(this);
    pnl4 = new QLabel(QStringLiteral("x"), pnl2);
    pnl4->setFont(WindowFont(12, true));
    pnl4->setAlignment(Qt::AlignCenter);
    lbl9 = MakeLabel(pnl2, QStringLiteral("Mode :"), 30, 8, WindowFont(12));
    lbl5 = MakeLabel(pnl2, QStringLiteral("---"), 73, 8, WindowFont(12));
    lbl5->resize(90, lbl5->height());
    lblSttInfo = MakeLabel(pnl2, QStringLiteral("---"), 168, 8, WindowFont(12));
    pnl3 = new QFrame(pnl2);
    pnl3->installEventFilter(this);

    scrlbx1 = new QScrollArea(this);
    scrlbx1->setFont(WindowFont(12));
    scrlbx1->setFrameShape(QFrame::NoFrame);
    scrlbx1->setBackgroundRole(QPalette::Dark);
    scrlbx1Client = new QWidget;
    scrlbx1Client->setBackgroundRole(QPalette::Dark);
    scrlbx1->setWidget(scrlbx1Client);
    scrlbx1Client->resize(DesignWidth, DesignHeight - TopBarHeight - BottomBarHeight);

    lblInputs = MakeLabel(scrlbx1Client, QStringLiteral("Inputs"), 4, 4, WindowFont(16, true));
    lblOutputs = MakeLabel(scrlbx1Client, QStringLiteral("Outputs"), 4, 79, WindowFont(16, true));
    // On the button-shadow background the toolkit would pick a light text colour.
    lblInputs->setForegroundRole(QPalette::WindowText);
    lblOutputs->setForegroundRole(QPalette::WindowText);
    lblErr = MakeLabel(scrlbx1Client, QString(), 144, -2, WindowFont(24, true));
    lblErr->setStyleSheet(QStringLiteral("color: red"));

    pnlIn = MakePanel(scrlbx1Client, 4, 28, 193, 48);
    imgIn = new QLabel(pnlIn);
    imgIn->setGeometry(1, 1, 46, 46);
    lblInName = MakeLabel(pnlIn, QString(), 52, 10, WindowFont(12));
    lblInStt = MakeLabel(pnlIn, QString(), 1, 1, WindowFont(12));

    pnlOut = MakePanel(scrlbx1Client, 4, 102, 193, 48);
    imgOut = new QLabel(pnlOut);
    imgOut->setGeometry(1, 1, 46, 46);
    lblOutName = MakeLabel(pnlOut, QString(), 52, 2, WindowFont(12));
    lblOutStt = MakeLabel(pnlOut, QString(), 1, 1, WindowFont(12));
    btnOn = new QPushButton(QStringLiteral("On"), pnlOut);
    btnOn->setGeometry(92, 22, 41, 22);
    btnOn->setProperty("Tag", 0);
    btnOff = new QPushButton(QStringLiteral("Off"), pnlOut);
    btnOff->setGeometry(139, 22, 42, 22);
    btnOff->setProperty("Tag", 0);

    tmr1 = new QTimer(this);
    tmr1->setInterval(10);
    connect(tmr1, &QTimer::timeout, this, [this] { tmr1Timer(); });
    tmr1->start();

    SockCli = new QTcpSocket(this);
    SockCliBind();
    Il1Create();

    resize(DesignWidth, DesignHeight);
    LayoutBars();
}

// Keeps the bars docked and the right-hand controls at their distance from the edge.
void TfMainDs::LayoutBars() {
    const int W = width();
    const int H = height();
    const int Shift = W - DesignWidth;
    pnl1->setGeometry(0, 0, W, TopBarHeight);
    edtIpAdr->move(713 + Shift, 8);
    // A substitute for Segoe UI may run wider: never let the label slide under the field.
    lbl6->move(qMin(617 + Shift, edtIpAdr->x() - 4 - lbl6->width()), 12);
    btnTrackSw->move(833 + Shift, 7);
    lblInfo->resize(qMax(0, lbl6->x() - 8 - lblInfo->x()), lblInfo->height());

    pnl2->setGeometry(0, H - BottomBarHeight, W, BottomBarHeight);
    pnl4->setGeometry(0, 0, 25, BottomBarHeight);
    pnl3->setGeometry(W - 19, 0, 19, BottomBarHeight);
    lblSttInfo->resize(qMax(0, pnl3->x() - 4 - lblSttInfo->x()), lblSttInfo->height());

    scrlbx1->setGeometry(0, TopBarHeight, W, qMax(0, H - TopBarHeight - BottomBarHeight));
}

void TfMainDs::FormCreate() {
    MonitorState.IniPath = QCoreApplication::applicationDirPath() + QDir::separator();
}

QString TfMainDs::IniFileName() const {
    return MonitorState.IniPath + QStringLiteral("Dorsena.ini");
}

bool TfMainDs::GetExeVersion(quint16& Major, quint16& Minor, quint16& Release, quint16& Build) {
    // The build system stamps the version; there is no resource to read here.
    Major = DORSENA_VERSION_MAJOR;
    Minor = DORSENA_VERSION_MINOR;
    Release = DORSENA_VERSION_RELEASE;
    Build = DORSENA_VERSION_BUILD;
    return true;
}

void TfMainDs::FormShow() {
    quint16 Major = 0, Minor = 0, Release = 0, Build = 0;
    if (GetExeVersion(Major, Minor, Release, Build))
        setWindowTitle(
            QStringLiteral("Dorsena v.%1.%2.%3.%4").arg(Major).arg(Minor).arg(Release).arg(Build));

    pnlIn->hide();
    pnlOut->hide();

    bool Debug = false;
    {
        QSettings Ini(IniFileName(), QSettings::IniFormat);
        Ini.beginGroup(QStringLiteral("Glob"));
        edtIpAdr->setText(IniText(Ini, QStringLiteral("IpAdr"), QStringLiteral("192.168.1.254")));
        const int Top = IniInt(Ini, QStringLiteral("Top"), 100);
        const int Left = IniInt(Ini, QStringLiteral("Left"), 100);
        move(Left, Top);
        const int Width = IniInt(Ini, QStringLiteral("Width"), width());
        const int Height = IniInt(Ini, QStringLiteral("Height"), height());
        resize(Width, Height);
        MonitorState.Tracking = IniInt(Ini, QStringLiteral("Track"), MonitorState.Tracking) != 0;
        Debug = IniInt(Ini, QStringLiteral("Debug"), 0) != 0;
    }

    if (Debug) {
        MonitorState.DebugOn = true;
        fDebug->show();
    }
    if (MonitorState.Tracking)
        TrackOnProc(Now() + 1000);
    lblErr->clear();
}

void TfMainDs::FormResize() {
    PnlInPosUpdate();
    PnlOutPosUpdate();
}

void TfMainDs::FormClose() {
    const QString Path = IniFileName();
    QSettings Ini(Path, QSettings::IniFormat);
    Ini.beginGroup(QStringLiteral("Glob"));
    Ini.setValue(QStringLiteral("IpAdr"), edtIpAdr->text());
    Ini.setValue(QStringLiteral("Top"), pos().y());
    Ini.setValue(QStringLiteral("Left"), pos().x());
    Ini.setValue(QStringLiteral("Width"), width());
    Ini.setValue(QStringLiteral("Height"), height());
    Ini.setValue(QStringLiteral("Track"), MonitorState.Tracking ? 1 : 0);
    Ini.endGroup();
    Ini.sync();
    // A file that read badly is still written; only a failed write is reported.
    if (Ini.status() == QSettings::AccessError)
        MessageBoxProc(this, QStringLiteral("Unable to write to ") + Path);
}

void TfMainDs::pnl3MouseUp(Qt::MouseButton, Qt::KeyboardModifiers Modifiers,
                           Qt::MouseButtons ButtonsHeld) {
    const Qt::KeyboardModifiers Keys = Modifiers & ~Qt::KeypadModifier;
    if (Keys == Qt::ControlModifier && ButtonsHeld == Qt::NoButton)
        fPanel->show();
}

void TfMainDs::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (!Shown) {
        Shown = true;
        FormShow();
    }
}

void TfMainDs::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    LayoutBars();
    FormResize();
}

void TfMainDs::closeEvent(QCloseEvent* Event) {
    FormClose();
    Event->accept();
    // Closing the main window ends the program, whatever else is open.
    QCoreApplication::quit();
}

bool TfMainDs::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == edtIpAdr && Event->type() == QEvent::KeyPress) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter) {
            QChar Ch(13);
            edtIpAdrKeyPress(Ch);
            return true;
        }
    } else if (Watched == pnl3 && Event->type() == QEvent::MouseButtonRelease) {
        const auto* Mouse = static_cast<QMouseEvent*>(Event);
        pnl3MouseUp(Mouse->button(), Mouse->modifiers(), Mouse->buttons());
    }
    return QWidget::eventFilter(Watched, Event);
}
