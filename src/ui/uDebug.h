#pragma once

#include <QByteArray>
#include <QString>
#include <QTime>
#include <QWidget>

#include <functional>

class QListWidget;
class QMenu;
class QAction;
class QLocale;

// Source of the local wall-clock time of the stamps; tests fix it.
using TDebugTimeSource = std::function<QTime()>;
extern TDebugTimeSource DebugTimeSource;

// The locale's separator between hours and minutes; ":" when it has none.
QString DebugTimeSeparator(const QLocale& Locale);

// Rolling, time-stamped trace; it logs only while its window is open.
class TfDebug : public QWidget {
    Q_OBJECT

public:
    explicit TfDebug(QWidget* Parent = nullptr);

    // Every line has this height, so the lines that fit follow from the list's height.
    static constexpr int ItemHeight = 13;

    QListWidget* lst1 = nullptr;
    QMenu* pm1 = nullptr;
    QAction* Copy1 = nullptr;
    int MaxLi = 100;

    void Add(const QString& S);
    void AddText(const QByteArray& S1, const QByteArray& S2);
    void AddTextW(const QString& S1, const QString& S2);
    void AddHex(const QByteArray& S1, const QByteArray& S2);
    void AddHexTxt(const QByteArray& S1, const QByteArray& S2);
    void InsEnd(const QString& S);
    void Append(const QString& S);

    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    void Copy1Click();

protected:
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void AddLine(const QString& Line);
};

extern TfDebug* fDebug;
