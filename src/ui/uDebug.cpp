#include "uDebug.h"

#include "uCodePage.h"
#include "uMonitorState.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QStyledItemDelegate>

TfDebug* fDebug = nullptr;

TDebugTimeSource DebugTimeSource = [] { return QTime::currentTime(); };

QString DebugTimeSeparator(const QLocale& Locale) {
    const QString Fmt = Locale.timeFormat(QLocale::ShortFormat);
    const qsizetype Minutes = Fmt.indexOf(u'm');
    qsizetype Hours = -1;
    for (qsizetype I = 0; I < Minutes; ++I)
        if (Fmt[I] == u'h' || Fmt[I] == u'H')
            Hours = I;
    if (Hours >= 0) {
        for (qsizetype I = Hours + 1; I < Minutes; ++I) {
            const QChar C = Fmt[I];
            if (!C.isLetter() && !C.isSpace() && C != u'\'')
                return QString(C);
        }
    }
    return QStringLiteral(":");
}

namespace {

// Fixed line height: MaxLi is a whole number of lines of the list's height.
class TLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        return {QStyledItemDelegate::sizeHint(Option, Index).width(), TfDebug::ItemHeight};
    }
};

QString Stamp() {
    static const QString Sep = DebugTimeSeparator(QLocale::system());
    const QTime T = DebugTimeSource();
    return QStringLiteral("%1%2%3 ")
        .arg(T.minute(), 2, 10, QChar(u'0'))
        .arg(Sep)
        .arg(T.second(), 2, 10, QChar(u'0'));
}

void AppendEscape(QString& Out, uint Code) {
    Out += u'<';
    Out += QStringLiteral("%1").arg(Code, 2, 16, QChar(u'0')).toUpper();
    Out += u'>';
}

// What each byte shows as: control characters escaped, the rest through Char.
using TByteTable = QList<QString>;

template <typename TChar> TByteTable MakeByteTable(TChar Char) {
    TByteTable T(256);
    for (uint B = 0; B < 256; ++B) {
        if (B < 0x20)
            AppendEscape(T[B], B);
        else
            T[B] = Char(B);
    }
    return T;
}

QString TableText(const QByteArray& S, const TByteTable& Table) {
    QString Out;
    Out.reserve(S.size());
    for (const char Ch : S)
        Out += Table[uchar(Ch)];
    return Out;
}

// Every byte the character of the same code.
QString ByteText(const QByteArray& S) {
    static const TByteTable Table = MakeByteTable([](uint B) { return QString(QChar(B)); });
    return TableText(S, Table);
}

// Every byte the character it stands for in the display code page.
QString CodePageText(const QByteArray& S) {
    static const TByteTable Table =
        MakeByteTable([](uint B) { return NameText(QByteArray(1, char(B))); });
    return TableText(S, Table);
}

QString UnitText(const QString& S) {
    QString Out;
    Out.reserve(S.size());
    for (const QChar C : S) {
        if (C.unicode() < 0x20)
            AppendEscape(Out, C.unicode());
        else
            Out += C;
    }
    return Out;
}

QString Hex(const QByteArray& S) {
    QString Out;
    Out.reserve(S.size() * 3);
    for (const char Ch : S) {
        Out += QStringLiteral("%1").arg(uint(uchar(Ch)), 2, 16, QChar(u'0')).toUpper();
        Out += u' ';
    }
    return Out;
}

} // namespace

TfDebug::TfDebug(QWidget* Parent) : QWidget(Parent) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Debug"));
    QFont F(QStringLiteral("Tahoma"));
    F.setPixelSize(11);
    setFont(F);

    lst1 = new QListWidget(this);
    QFont ListFont(QStringLiteral("Segoe UI"));
    ListFont.setPixelSize(11);
    lst1->setFont(ListFont);
    lst1->setItemDelegate(new TLineDelegate(lst1));
    lst1->setUniformItemSizes(true);
    lst1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lst1->setWordWrap(false);
    lst1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    pm1 = new QMenu(this);
    Copy1 = pm1->addAction(QStringLiteral("Copy"));
    connect(Copy1, &QAction::triggered, this, [this] { Copy1Click(); });
    lst1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lst1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& Pos) { pm1->popup(lst1->viewport()->mapToGlobal(Pos)); });

    resize(328, 408);
    lst1->setGeometry(rect());
    FormCreate();
}

void TfDebug::AddLine(const QString& Line) {
    lst1->addItem(Line);
    // Stops on an empty list whatever MaxLi is, even 0 or below.
    while (lst1->count() > 0 && lst1->count() > MaxLi)
        delete lst1->takeItem(0);
}

void TfDebug::Add(const QString& S) {
    if (!MonitorState.DebugOn)
        return;
    AddLine(Stamp() + S);
}

void TfDebug::AddText(const QByteArray& S1, const QByteArray& S2) {
    if (!MonitorState.DebugOn)
        return;
    AddLine(Stamp() + NameText(S1) + QStringLiteral(":|") + ByteText(S2) + u'|');
}

void TfDebug::AddTextW(const QString& S1, const QString& S2) {
    if (!MonitorState.DebugOn)
        return;
    AddLine(Stamp() + S1 + QStringLiteral(":|") + UnitText(S2) + u'|');
}

void TfDebug::AddHex(const QByteArray& S1, const QByteArray& S2) {
    if (!MonitorState.DebugOn)
        return;
    AddLine(Stamp() + NameText(S1) + u':' + Hex(S2));
}

void TfDebug::AddHexTxt(const QByteArray& S1, const QByteArray& S2) {
    if (!MonitorState.DebugOn)
        return;
    AddLine(Stamp() + NameText(S1) + u':' + Hex(S2) + u'|' + CodePageText(S2) + u'|');
}

void TfDebug::InsEnd(const QString& S) {
    if (!MonitorState.DebugOn)
        return;
    if (lst1->count() == 0)
        lst1->addItem(QString());
    QListWidgetItem* Last = lst1->item(lst1->count() - 1);
    Last->setText(Last->text() + S);
}

void TfDebug::Append(const QString& S) {
    InsEnd(S);
}

void TfDebug::FormCreate() {
    MaxLi = 100;
}

void TfDebug::FormShow() {
    setWindowTitle(MonitorState.DebugCapHead + QStringLiteral(" - Debug") +
                   MonitorState.DebugCapTail);
    FormResize();
}

void TfDebug::FormResize() {
    MaxLi = lst1->height() / ItemHeight - 1;
}

void TfDebug::FormClose() {
    lst1->clear();
    MonitorState.DebugOn = false;
}

void TfDebug::Copy1Click() {
    QString Text;
    for (int I = 0; I < lst1->count(); ++I) {
        const QListWidgetItem* Item = lst1->item(I);
        if (Item->isSelected())
            Text += Item->text() + QStringLiteral("\r\n");
    }
    QGuiApplication::clipboard()->setText(Text);
}

void TfDebug::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    FormShow();
}

void TfDebug::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    lst1->setGeometry(rect());
    FormResize();
}

void TfDebug::closeEvent(QCloseEvent* Event) {
    FormClose();
    Event->accept();
}
