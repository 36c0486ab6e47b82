#pragma once

// Reading the module's web documents. The module's documents are read by
// plain, case-sensitive substring search on fixed markers, the way it writes
// them, not by an XML parser. Positions count from 1; 0 means not found.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// More tiles than this per side would freeze the window; item numbers also
// travel as one byte on the TCP road.
inline constexpr int WebMaxItems = 256;

// Position of Marker at or after From, or 0 (also when From < 1).
int WebPos(const QString& Body, const QString& Marker, int From);
// The value of the attribute marker found at P: the text after it up to the
// next double quote; none when P is 0 or no quote follows.
std::optional<QString> WebValueAt(const QString& Body, int P, const QString& Marker);
// The value of the first Marker at or after From.
std::optional<QString> WebAttr(const QString& Body, const QString& Marker, int From);
// A decimal integer, else -1.
int WebNum(const QString& S);

// Names of <item id="n" … name="…"> for n = 1, 2, … inside the box that
// starts with BoxMarker, up to its first </set>; the scan ends at the first
// number or name it cannot find. At most WebMaxItems; Cut tells whether more
// were there.
QStringList WebBoxNames(const QString& Body, const QString& BoxMarker, bool* Cut = nullptr);

// One item of the live-state document, as the scan found it.
struct TWebItem {
    int No = 0;                  // from 1
    std::optional<QString> Name; // none: its name had no closing quote
    std::optional<int> State;    // none: no state read
    bool operator==(const TWebItem&) const = default;
};

// Items Head + n + '"' (Head is `<din id="` or `<dout id="`) for n = 1, 2, …,
// each found after the previous one whose state was read. At most
// WebMaxItems; Cut tells whether more were there.
QList<TWebItem> WebFreshItems(const QString& Body, const QString& Head, bool* Cut = nullptr);

// Inputs and outputs from the token before the first ';' of a device
// information text ("… 8/8; …"); -1 where it does not parse.
void WebInfoCounts(const QString& Info, int& InMax, int& OutMax);
