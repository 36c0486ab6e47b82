#pragma once

#include <QByteArray>
#include <QString>

// The module's names and identification text, and the program's own 8-bit
// texts, are Central European: one code page turns them into display text.
inline constexpr const char* DisplayCodePage = "windows-1250";

// 8-bit text as received -> display text. Every byte maps to a character.
QString NameText(const QByteArray& Bytes);
