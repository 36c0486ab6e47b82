#include "uWebDoc.h"

namespace {

QString ItemKey(const QString& Head, int N) {
    return Head + QString::number(N) + QLatin1Char('"');
}

} // namespace

int WebPos(const QString& Body, const QString& Marker, int From) {
    if (From < 1)
        return 0;
    const qsizetype I = Body.indexOf(Marker, From - 1, Qt::CaseSensitive);
    return I < 0 ? 0 : static_cast<int>(I) + 1;
}

std::optional<QString> WebValueAt(const QString& Body, int P, const QString& Marker) {
    if (P < 1)
        return std::nullopt;
    const int From = P + static_cast<int>(Marker.size());
    const int Quote = WebPos(Body, QStringLiteral("\""), From);
    if (Quote == 0)
        return std::nullopt;
    return Body.mid(From - 1, Quote - From);
}

std::optional<QString> WebAttr(const QString& Body, const QString& Marker, int From) {
    return WebValueAt(Body, WebPos(Body, Marker, From), Marker);
}

int WebNum(const QString& S) {
    if (S.isEmpty() || S.front().isSpace() || S.back().isSpace())
        return -1;
    bool Ok = false;
    const int V = S.toInt(&Ok, 10);
    return Ok ? V : -1;
}

QStringList WebBoxNames(const QString& Body, const QString& BoxMarker, bool* Cut) {
    if (Cut)
        *Cut = false;
    QStringList Names;
    const int Box = WebPos(Body, BoxMarker, 1);
    if (Box == 0)
        return Names;
    const int End = WebPos(Body, QStringLiteral("</set>"), Box);
    const QString NameMarker = QStringLiteral("name=\"");
    int S = Box;
    for (int N = 1;; ++N) {
        S = WebPos(Body, ItemKey(QStringLiteral("<item id=\""), N), S);
        // Without a name up to the box's end the scan is over; a name of a
        // later item stands in for a missing one.
        const int P = WebPos(Body, NameMarker, S);
        if (P < 1 || P > End)
            return Names;
        const auto Name = WebValueAt(Body, P, NameMarker);
        if (!Name)
            return Names;
        if (N > WebMaxItems) {
            if (Cut)
                *Cut = true;
            return Names;
        }
        Names.append(*Name);
    }
}

QList<TWebItem> WebFreshItems(const QString& Body, const QString& Head, bool* Cut) {
    if (Cut)
        *Cut = false;
    QList<TWebItem> Items;
    const QString NameMarker = QStringLiteral("name=\"");
    const QString ValMarker = QStringLiteral("val=\"");
    int S = 1;
    for (int N = 1;; ++N) {
        int Last = -1;
        const int E = WebPos(Body, ItemKey(Head, N), S);
        // Found, and not at the search start itself.
        if (E > S) {
            if (N > WebMaxItems) {
                if (Cut)
                    *Cut = true;
                return Items;
            }
            TWebItem Item;
            Item.No = N;
            Last = WebPos(Body, NameMarker, E);
            Item.Name = WebValueAt(Body, Last, NameMarker);
            if (Item.Name) {
                Last = WebPos(Body, ValMarker, E);
                if (const auto Val = WebValueAt(Body, Last, ValMarker)) {
                    Item.State = WebNum(*Val);
                    S = E; // the search moves on only past an item whose state was read
                }
            }
            Items.append(Item);
        }
        if (Last < 1)
            return Items;
    }
}

void WebInfoCounts(const QString& Info, int& InMax, int& OutMax) {
    const int C = WebPos(Info, QStringLiteral(";"), 1);
    int B = C; // last blank before the ';', or 0
    while (B > 0 && Info.at(B - 1) != QLatin1Char(' '))
        --B;
    const int D = B > 0 ? WebPos(Info, QStringLiteral("/"), B) : 0;
    // Text from position B+1 to D-1, and from D+1 to C-1.
    InMax = WebNum(D > B + 1 ? Info.mid(B, D - B - 1) : QString());
    OutMax = WebNum(C > D + 1 ? Info.mid(D, C - D - 1) : QString());
}
