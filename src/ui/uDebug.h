#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QListWidget;
class QMenu;
class QAction;

// Rolling, time-stamped trace; it logs only while its window is open.
class TfDebug : public QWidget {
    Q_OBJECT

public:
    explicit TfDebug(QWidget* Parent = nullptr);

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
};

extern TfDebug* fDebug;
