#pragma once
// Random blending panels in whole numbers, the model text the run writes for them, and exact checks and
// enumeration to judge a solver's answer by. Shared by the solver suites.

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace vestrel::test {

// A panel in whole cents (prices, index values, limits) and tenths (tonnes, stock), so the expected
// optimum can be found by enumeration in integers.
struct Lot {
    qint64 price = 0;
    std::vector<qint64> index;
    qint64 stock = 0;
    bool mustUse = false;
};

struct Panel {
    std::vector<Lot> lots;
    std::vector<qint64> limits;
    std::vector<bool> lower;
    qint64 tonnes = 0; // 0: no tonnage given
    bool differenceLine = false;
};

// Exact decimal text of value / 10^decimals without trailing zeros, the way the program writes limits.
inline QByteArray general(qint64 value, int decimals) {
    QByteArray text = QByteArray::number(qAbs(value)).rightJustified(decimals + 1, '0');
    text.insert(text.size() - decimals, '.');
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.')) text.chop(1);
    return value < 0 ? "-" + text : text;
}

inline QByteArray twoDecimals(qint64 cents) {
    return QByteArray::number(double(cents) / 100.0, 'f', 2);
}

// The model text for one k, line by line in the order and format the blending run writes.
inline QByteArray modelText(const Panel& p, int k) {
    const int n = int(p.lots.size());
    auto joined = [n](auto term, const char* joiner) {
        QByteArray s;
        for (int j = 0; j < n; ++j)
            s += (j ? joiner : "") + term(j);
        return s;
    };
    auto x = [](int j) { return "X" + QByteArray::number(j + 1); };
    QByteArray t = "model:\r\n[rObj] min=" +
                   joined([&](int j) { return twoDecimals(p.lots[std::size_t(j)].price) + "*" + x(j); }, "+") + ";\r\n";
    for (std::size_t i = 0; i < p.limits.size(); ++i) {
        t += joined([&](int j) { return twoDecimals(p.lots[std::size_t(j)].index[i]) + "*" + x(j); }, "+");
        t += (p.lower[i] ? ">" : "<") + general(p.limits[i] * k, 2) + ";\r\n";
    }
    for (int j = 0; j < n; ++j) {
        if (p.lots[std::size_t(j)].mustUse) t += x(j) + ">1;\r\n";
    }
    t += joined(x, "+") + "=" + QByteArray::number(k) + ";\r\n";
    if (p.differenceLine) t += "@abs(" + joined(x, "-") + ")<" + QByteArray::number(k - 1) + ";\r\n";
    for (int j = 0; p.tonnes && j < n; ++j)
        t += general(p.tonnes, 1) + "*" + x(j) + "<" + general(p.lots[std::size_t(j)].stock, 1) + "*" +
             QByteArray::number(k) + ";\r\n";
    for (int j = 0; j < n; ++j)
        t += "@gin(" + x(j) + ");\r\n";
    t += "data:\r\n";
    for (int j = 0; j < n; ++j)
        t += "@pointer(" + QByteArray::number(j + 1) + ")=" + x(j) + ";\r\n";
    return t + "@pointer(" + QByteArray::number(n + 1) + ")=rObj;\r\nenddata\r\nend";
}

inline bool meetsEveryRow(const Panel& p, int k, const std::vector<qint64>& parts) {
    const std::size_t n = p.lots.size();
    qint64 sum = 0;
    qint64 others = 0;
    for (std::size_t j = 0; j < n; ++j) {
        const Lot& lot = p.lots[j];
        sum += parts[j];
        others += j ? parts[j] : 0;
        if (parts[j] < 0 || (lot.mustUse && parts[j] < 1) || (p.tonnes && p.tonnes * parts[j] > lot.stock * k))
            return false;
    }
    if (sum != k || (p.differenceLine && qAbs(parts[0] - others) > k - 1)) return false;
    for (std::size_t i = 0; i < p.limits.size(); ++i) {
        qint64 a = 0;
        for (std::size_t j = 0; j < n; ++j)
            a += p.lots[j].index[i] * parts[j];
        if (p.lower[i] ? a < p.limits[i] * k : a > p.limits[i] * k) return false;
    }
    return true;
}

inline qint64 priceOf(const Panel& p, const std::vector<qint64>& parts) {
    qint64 cents = 0;
    for (std::size_t j = 0; j < parts.size(); ++j)
        cents += p.lots[j].price * parts[j];
    return cents;
}

// Calls visit with every split of k into n whole parts.
inline void forEachSplit(std::size_t n, qint64 k, const std::function<void(const std::vector<qint64>&)>& visit) {
    std::vector<qint64> parts(n, 0);
    std::function<void(std::size_t, qint64)> split = [&](std::size_t j, qint64 left) {
        if (j + 1 == n) {
            parts[j] = left;
            visit(parts);
            return;
        }
        for (qint64 v = 0; v <= left; ++v) {
            parts[j] = v;
            split(j + 1, left - v);
        }
    };
    split(0, k);
}

// Cheapest price in cents over every split of k into whole parts, or -1 when no split meets the rows.
inline qint64 bruteForce(const Panel& p, int k) {
    qint64 best = -1;
    forEachSplit(p.lots.size(), k, [&](const std::vector<qint64>& parts) {
        if (meetsEveryRow(p, k, parts) && (best < 0 || priceOf(p, parts) < best)) best = priceOf(p, parts);
    });
    return best;
}

// sum 2^(j-1) Xj: among equally cheap blends the one with the least of it is preferred.
inline qint64 tieWeight(const std::vector<qint64>& parts) {
    qint64 w = 0;
    for (std::size_t j = 0; j < parts.size(); ++j)
        w += parts[j] << j;
    return w;
}

// The blend the tie rule picks, found in stages over every split: the least price, then the least tie weight,
// then the most parts on X1, X2 and so on. Empty when no split meets the rows.
inline std::vector<qint64> preferredBlend(const Panel& p, int k) {
    std::vector<qint64> best;
    forEachSplit(p.lots.size(), k, [&](const std::vector<qint64>& parts) {
        if (!meetsEveryRow(p, k, parts)) return;
        if (!best.empty()) {
            const qint64 price = priceOf(p, parts), bestPrice = priceOf(p, best);
            if (price != bestPrice) {
                if (price > bestPrice) return;
            } else if (tieWeight(parts) != tieWeight(best)) {
                if (tieWeight(parts) > tieWeight(best)) return;
            } else if (!(parts > best)) {
                return;
            }
        }
        best = parts;
    });
    return best;
}

} // namespace vestrel::test
