#pragma once

#include <QAbstractSocket>
#include <QString>

// The number "Sock err : " shows: the operating system's errno for the failure
// (ECONNREFUSED, ECONNRESET, ETIMEDOUT, ...), never 0. Text is the socket's
// error string; it tells apart the failures the socket reports as one kind.
int SockErrorCode(QAbstractSocket::SocketError Error, const QString& Text);
