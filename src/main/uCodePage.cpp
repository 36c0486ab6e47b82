#include "uCodePage.h"

#include <QStringDecoder>

QString NameText(const QByteArray& Bytes) {
    QStringDecoder Decoder(DisplayCodePage);
    if (!Decoder.isValid())
        return QString::fromLatin1(Bytes);
    return Decoder.decode(Bytes);
}
