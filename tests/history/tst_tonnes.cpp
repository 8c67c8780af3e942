// The history window's tonnes conversion: share x tonnes / S to the cent, halves away from zero.
#include "history/SchemeHistory.h"

#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <limits>

using namespace vestrel;

namespace {

ListData ratioRow(const QStringList& shares) {
    ListData list;
    ListRow row;
    row.subItems = shares;
    list.rows.append(row);
    return list;
}

// The cents a "0.00" text stands for; a failure for any other text.
std::int64_t centsOf(const QString& text) {
    const qsizetype point = text.indexOf(u'.');
    if (point < 0 || text.size() - point != 3) return std::numeric_limits<std::int64_t>::min();
    bool ok = false;
    const std::int64_t whole = text.left(point).toLongLong(&ok);
    const std::int64_t fraction = text.mid(point + 1).toLongLong();
    if (!ok) return std::numeric_limits<std::int64_t>::min();
    return text.startsWith(u'-') ? whole * 100 - fraction : whole * 100 + fraction;
}

} // namespace

class TonnesTest : public QObject {
    Q_OBJECT
private slots:
    void convert_data() {
        QTest::addColumn<QStringList>("shares");
        QTest::addColumn<int>("tonnage");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("3 and 7 of 25") << QStringList{"3", "7"} << 25 << QStringList{"7.50", "17.50"};
        QTest::newRow("eighths: halves go up") << QStringList{"1", "7"} << 1 << QStringList{"0.13", "0.88"};
        // 3/40 is 0.075 exactly, which floating point holds as 0.07499999999999999.
        QTest::newRow("fortieths: halves go up") << QStringList{"3", "37"} << 1 << QStringList{"0.08", "0.93"};
        QTest::newRow("negative tonnage: halves away from zero")
            << QStringList{"3", "37"} << -1 << QStringList{"-0.08", "-0.93"};
        QTest::newRow("thirds") << QStringList{"1", "1", "1"} << 1 << QStringList{"0.33", "0.33", "0.33"};
        QTest::newRow("largest tonnage") << QStringList{"1", "7"} << 2147483647
                                         << QStringList{"268435455.88", "1879048191.13"};
        QTest::newRow("no tonnes") << QStringList{"1", "3"} << 0 << QStringList{"0.00", "0.00"};
        QTest::newRow("zero sum keeps its cells") << QStringList{"0", "0"} << 20 << QStringList{"0", "0"};
    }
    void convert() {
        QFETCH(QStringList, shares);
        QFETCH(int, tonnage);
        QFETCH(QStringList, expected);
        ListData list = ratioRow(shares);
        ConvertSharesToTonnes(list, int(shares.size()), tonnage);
        QCOMPARE(list.rows[0].subItems, expected);
    }

    // Every split of S = 1..100 parts between two lots, at tonnages that make every kind of remainder: each
    // cell is the nearest cent of share x tonnes / S, halves away from zero, judged without dividing.
    void nearestCentOfEverySplit() {
        for (const std::int64_t tonnes : {1, 3, 7, 25, 99, 1000003, 2147483647, -5}) {
            for (int s = 1; s <= 100; ++s) {
                for (int a = 0; a <= s; ++a) {
                    ListData list = ratioRow({QString::number(a), QString::number(s - a)});
                    ConvertSharesToTonnes(list, 2, qint32(tonnes));
                    for (int k = 0; k < 2; ++k) {
                        const std::int64_t share = k == 0 ? a : s - a;
                        const std::int64_t n = share * tonnes * 100; // the exact tonnes in cents, times S
                        const std::int64_t c = centsOf(list.rows[0].subItems[k]);
                        const std::int64_t twiceGap = 2 * std::llabs(n - c * s);
                        const bool nearest = twiceGap < s || (twiceGap == s && std::llabs(c * s) > std::llabs(n));
                        if (!nearest)
                            QFAIL(qPrintable(QStringLiteral("%1 of %2 at %3 tonnes gave %4")
                                                 .arg(share)
                                                 .arg(s)
                                                 .arg(tonnes)
                                                 .arg(list.rows[0].subItems[k])));
                    }
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TonnesTest)
#include "tst_tonnes.moc"
