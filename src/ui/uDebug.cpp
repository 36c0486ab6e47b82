#include "uDebug.h"

TfDebug* fDebug = nullptr;

TfDebug::TfDebug(QWidget* Parent) : QWidget(Parent) { FormCreate(); }

void TfDebug::Add(const QString&) {}
void TfDebug::AddText(const QByteArray&, const QByteArray&) {}
void TfDebug::AddTextW(const QString&, const QString&) {}
void TfDebug::AddHex(const QByteArray&, const QByteArray&) {}
void TfDebug::AddHexTxt(const QByteArray&, const QByteArray&) {}
void TfDebug::InsEnd(const QString&) {}
void TfDebug::Append(const QString&) {}
void TfDebug::FormCreate() { MaxLi = 100; }
void TfDebug::FormShow() {}
void TfDebug::FormResize() {}
void TfDebug::FormClose() {}
void TfDebug::Copy1Click() {}
