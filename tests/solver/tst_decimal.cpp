#include "solver/Decimal.h"

#include <QRandomGenerator>
#include <QtTest>

using vestrel::solver::Decimal;

namespace {

Decimal d(const char* text) {
    return *Decimal::parse(text);
}

// A random decimal of up to 18 digits, up to 9 of them decimals, either sign.
Decimal randomDecimal(QRandomGenerator& rng) {
    const int digits = 1 + int(rng.bounded(18));
    std::string text = rng.bounded(2) ? "-" : "";
    for (int i = 0; i < digits; ++i)
        text += char('0' + rng.bounded(10));
    const int decimals = int(rng.bounded(std::min(digits, 10)));
    if (decimals > 0) text.insert(text.size() - std::size_t(decimals), 1, '.');
    return *Decimal::parse(text);
}

} // namespace

class DecimalTest : public QObject {
    Q_OBJECT

private slots:
    // Values below 10^18 are computed in one word, larger ones in limbs. Shifting both operands by a huge
    // whole number moves every operation to the limbs and must not change its result.
    void wordAndLimbsAgree() {
        const Decimal huge = d("1000000000000000000000000000000");
        QRandomGenerator rng(7);
        for (int i = 0; i < 3000; ++i) {
            const Decimal a = randomDecimal(rng), b = randomDecimal(rng);
            const Decimal bigA = a + huge, bigB = b + huge;
            QCOMPARE(bigA - huge, a);
            QCOMPARE((bigA - huge).toString(), a.toString());
            QCOMPARE(bigA + bigB, a + b + huge + huge);
            QCOMPARE(bigA.compare(bigB), a.compare(b));
            const std::uint32_t factor = rng.generate();
            QCOMPARE(bigA.multipliedBy(factor), a.multipliedBy(factor) + huge.multipliedBy(factor));
            const int decimals = int(rng.bounded(6));
            QCOMPARE(bigA.floorTo(decimals), a.floorTo(decimals) + huge);
            QCOMPARE(bigA.ceilTo(decimals), a.ceilTo(decimals) + huge);
            QCOMPARE(a.toDouble(), std::stod(a.toString()));
        }
    }

    void crossesTheWordBoundary_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("sum");
        QTest::newRow("carry into limbs") << "999999999999999999"
                                          << "1"
                                          << "1000000000000000000";
        QTest::newRow("borrow back into the word") << "1000000000000000000"
                                                   << "-1"
                                                   << "999999999999999999";
        QTest::newRow("decimals aligned beyond the word") << "99999999.999999999"
                                                          << "0.0000000001"
                                                          << "99999999.9999999991";
        QTest::newRow("trailing zeros dropped") << "0.25"
                                                << "0.75"
                                                << "1";
        QTest::newRow("opposite signs cancel") << "-12.5"
                                               << "12.50"
                                               << "0";
    }
    void crossesTheWordBoundary() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, sum);
        const Decimal result = d(a.toLatin1()) + d(b.toLatin1());
        QCOMPARE(QString::fromStdString(result.toString()), sum);
        QCOMPARE(result.isNegative(), false);
    }

    void convertsToWholeNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("fits");
        QTest::newRow("word") << "-123456789012345678" << qint64(-123456789012345678) << true;
        QTest::newRow("limbs below 2^62") << "4000000000000000000" << qint64(4000000000000000000) << true;
        QTest::newRow("2^62") << "4611686018427387904" << qint64(0) << false;
        QTest::newRow("not whole") << "1.5" << qint64(0) << false;
        QTest::newRow("scaled to whole") << "1.5e1" << qint64(0) << false;
    }
    void convertsToWholeNumbers() {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QFETCH(bool, fits);
        const auto parsed = Decimal::parse(text.toStdString());
        if (!parsed) {
            QVERIFY(!fits);
            return;
        }
        const auto whole = parsed->toInt64();
        QCOMPARE(whole.has_value(), fits);
        if (fits) QCOMPARE(*whole, value);
        QCOMPARE(d("1.5").timesPow10(1).toInt64(), std::optional<std::int64_t>(15));
        QCOMPARE(d("7").timesPow10(20).toString(), std::string("700000000000000000000"));
    }
};

QTEST_GUILESS_MAIN(DecimalTest)
#include "tst_decimal.moc"
