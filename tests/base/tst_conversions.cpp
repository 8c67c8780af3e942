#include "base/CommonFunction.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <cstdio>

using namespace vestrel;

class ConversionsTest : public QObject {
    Q_OBJECT
private slots:
    void toDouble_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<double>("expected");
        QTest::newRow("text rounded to two decimals") << QVariant("12.3456") << 0 << 12.35;
        QTest::newRow("whole text") << QVariant("7") << 0 << 7.0;
        QTest::newRow("empty text") << QVariant("") << 0 << 0.0;
        QTest::newRow("null") << QVariant() << 0 << 0.0;
        QTest::newRow("letters") << QVariant("abc") << 0 << 0.0;
        QTest::newRow("number with trailing letters") << QVariant("12abc") << 0 << 0.0;
        QTest::newRow("three digits") << QVariant(1.23456) << 3 << 1.235;
        QTest::newRow("digits 1 means two") << QVariant(1.23456) << 1 << 1.23;
        QTest::newRow("decimal half up, not binary") << QVariant(2.675) << 0 << 2.68;
        QTest::newRow("another decimal half") << QVariant("12.345") << 0 << 12.35;
        QTest::newRow("1.005 as read") << QVariant(1.005) << 0 << 1.01;
        QTest::newRow("negative half away from zero") << QVariant("-2.675") << 0 << -2.68;
        QTest::newRow("blanks around") << QVariant("  3.5 ") << 0 << 3.5;
        QTest::newRow("exponent") << QVariant("1.5e2") << 0 << 150.0;
        QTest::newRow("integer variant") << QVariant(42) << 0 << 42.0;
        QTest::newRow("carry through nines") << QVariant("9.999") << 0 << 10.0;
        QTest::newRow("tiny value") << QVariant(0.004) << 0 << 0.0;
        QTest::newRow("huge value stays finite") << QVariant("1e300") << 0 << 1e300;
    }
    void toDouble() {
        QFETCH(QVariant, value);
        QFETCH(int, digits);
        QFETCH(double, expected);
        QCOMPARE(ToDouble(value, digits), expected);
    }

    void formatTwoDecimals_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << QVariant(0.0) << "";
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("3.1") << QVariant(3.1) << "3.10";
        QTest::newRow("1500") << QVariant(1500) << "1500.00";
        QTest::newRow("0.456") << QVariant(0.456) << "0.46";
        QTest::newRow("2.675 decimal half") << QVariant(2.675) << "2.68";
        QTest::newRow("text") << QVariant("12.3456") << "12.35";
        QTest::newRow("not numeric") << QVariant("x") << "";
        QTest::newRow("no grouping") << QVariant(1234567.5) << "1234567.50";
        QTest::newRow("negative") << QVariant(-1.5) << "-1.50";
    }
    void formatTwoDecimals() {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatTwoDecimals(value), expected);
    }

    void toLong_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("text 12") << QVariant("12") << 12;
        QTest::newRow("null") << QVariant() << 0;
        QTest::newRow("half to even down") << QVariant(2.5) << 2;
        QTest::newRow("half to even up") << QVariant(3.5) << 4;
        QTest::newRow("24.5") << QVariant("24.5") << 24;
        QTest::newRow("25.5") << QVariant("25.5") << 26;
        QTest::newRow("0.4") << QVariant(0.4) << 0;
        QTest::newRow("letters") << QVariant("abc") << 0;
        QTest::newRow("clamped") << QVariant("1e20") << 2147483647;
    }
    void toLong() {
        QFETCH(QVariant, value);
        QFETCH(int, expected);
        QCOMPARE(ToLong(value), expected);
    }

    void numericTest_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("plain") << "12" << true;
        QTest::newRow("decimal") << "12.5" << true;
        QTest::newRow("sign") << "-3" << true;
        QTest::newRow("plus sign") << "+3" << true;
        QTest::newRow("leading point") << ".5" << true;
        QTest::newRow("trailing point") << "5." << true;
        QTest::newRow("blanks around") << " 5 " << true;
        QTest::newRow("exponent") << "1e3" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks only") << "   " << false;
        QTest::newRow("letters") << "abc" << false;
        QTest::newRow("percent") << "5%" << false;
        QTest::newRow("comma") << "1,5" << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("inf") << "inf" << false;
        QTest::newRow("nan") << "nan" << false;
        QTest::newRow("hex") << "0x10" << false;
        QTest::newRow("lone sign") << "-" << false;
        QTest::newRow("huge exponent") << "1e999" << false;
        QTest::newRow("full-width digits") << QString::fromUtf8("１２") << false;
    }
    void numericTest() {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(IsNumeric(text), numeric);
    }

    void percent_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << true << 0.0;
        QTest::newRow("whole percent") << "5" << true << 0.05;
        QTest::newRow("fraction") << "0.05" << true << 0.05;
        QTest::newRow("with sign") << "5%" << true << 0.05;
        QTest::newRow("exactly one") << "1" << true << 0.01;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("percent alone") << "%" << false << 0.0;
        QTest::newRow("letters with percent") << "a%" << false << 0.0;
    }
    void percent() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(double, value);
        const auto v = PercentToDouble(text);
        QCOMPARE(v.has_value(), accepted);
        if (accepted) QCOMPARE(*v, value);
    }

    void generalNumberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << 2.5 * 10 << "25";
        QTest::newRow("0.45*7") << 0.45 * 7 << "3.15";
        QTest::newRow("0.1*3") << 0.1 * 3 << "0.3";
        QTest::newRow("price") << 1628.57 << "1628.57";
        QTest::newRow("12.5") << 12.5 << "12.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -0.25 << "-0.25";
        QTest::newRow("small, no exponent") << 0.00001 << "0.00001";
        QTest::newRow("large, no exponent") << 1e20 << "100000000000000000000";
        QTest::newRow("fifteen digits") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("many decimals times k") << 2.3499999 * 100 << "234.99999";
    }
    void generalNumberText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(GeneralNumberText(value), expected);
    }
    // Any double: plain fixed notation, no superfluous zeros, and the value to 15 significant digits.
    void generalNumberTextProperty() {
        QRandomGenerator rng(7);
        const auto fifteen = [](double v) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.14e", v);
            return QByteArray(buf);
        };
        for (int i = 0; i < 20000; ++i) {
            const double magnitude = std::pow(10.0, rng.bounded(-30, 30));
            const double v = (rng.bounded(2) ? -1 : 1) * double(rng.bounded(1, 100000)) / 1000.0 * magnitude *
                             (i % 3 == 0 ? rng.generateDouble() : 1.0);
            const QString text = GeneralNumberText(v);
            static const QRegularExpression plain(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?$"));
            QVERIFY2(plain.match(text).hasMatch() && text != QStringLiteral("-0"), qPrintable(text));
            QCOMPARE(fifteen(text.toDouble()), fifteen(v == 0 ? 0.0 : v));
        }
    }
};

QTEST_GUILESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
