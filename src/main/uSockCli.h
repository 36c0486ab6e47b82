#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QString>

// The number "Sock err : " shows: the operating system's errno for the failure
// (ECONNREFUSED, ECONNRESET, ETIMEDOUT, ...), never 0. Text is the socket's
// error string; it tells apart the failures the socket reports as one kind.
int SockErrorCode(QAbstractSocket::SocketError Error, const QString& Text);

// The address part of the address field: a colon after a complete dotted
// address (position 8 or later, counted from 1) starts the web port.
QString SockCliHostText(const QString& Field);

// A dotted IPv4 address, every part decimal; null for any other text.
QHostAddress SockCliHost(const QString& Text);
