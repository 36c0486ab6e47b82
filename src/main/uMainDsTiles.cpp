// Input and output tiles.
#include "uMainDs.h"

#include <QLabel>

namespace {

// Names and states only, until the tiles are built in full.
template <typename T>
bool SetName(QList<T>& Tiles, int N, const QString& S, const QString& Default) {
    if (N < 0 || N >= Tiles.size())
        return false;
    if (Tiles[N].lblName)
        Tiles[N].lblName->setText(S.isEmpty() ? Default + QString::number(N + 1) : S);
    return true;
}

template <typename T> void SetColor(QList<T>& Tiles, int N, int C) {
    if (N >= 0 && N < Tiles.size() && Tiles[N].lblStt)
        Tiles[N].lblStt->setText(QString::number(C));
}

} // namespace

void TfMainDs::PnlInItemAdd(int) {}
void TfMainDs::PnlOutItemAdd(int) {}
bool TfMainDs::PnlInSetName(int N, const QString& S) {
    return SetName(PnlIn, N, S, QStringLiteral("Input "));
}
bool TfMainDs::PnlOutSetName(int N, const QString& S) {
    return SetName(PnlOut, N, S, QStringLiteral("Output "));
}
void TfMainDs::PnlInSetColor(int N, int C) {
    SetColor(PnlIn, N, C);
}
void TfMainDs::PnlOutSetColor(int N, int C) {
    SetColor(PnlOut, N, C);
}
void TfMainDs::PnlInClear() {
    PnlIn.clear();
}
void TfMainDs::PnlOutClear() {
    PnlOut.clear();
}
void TfMainDs::PnlInPosUpdate() {}
void TfMainDs::PnlOutPosUpdate() {}
