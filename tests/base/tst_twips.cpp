// The one converter between design twips and pixels.
#include "base/Twips.h"

#include <QTest>
#include <limits>

using namespace vestrel;

class TwipsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetTwipScales({}, {}); }

    void convertsAndReadsBack_data() {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("design") << 1.0 << 720 << 48;
        QTest::newRow("half a pixel rounds up") << 1.0 << 7 << 0;
        QTest::newRow("8 twips") << 1.0 << 8 << 1;
        QTest::newRow("negative, halves away from zero") << 1.0 << -8 << -1;
        QTest::newRow("font half as wide again") << 1.5 << 690 << 69;
        QTest::newRow("uneven scale") << 1.696 << 690 << 78;
        QTest::newRow("uneven scale, a whole window") << 1.696 << 12240 << 1384;
    }
    void convertsAndReadsBack() {
        QFETCH(double, scale);
        QFETCH(int, twips);
        QFETCH(int, pixels);
        const TwipScale s{scale, scale * 0.75};
        QCOMPARE(s.toPixelsX(twips), pixels);
        QCOMPARE(s.toPixels(QRect(twips, 0, twips, 0)), QRect(pixels, 0, pixels, 0));
        // A size read back from the screen converts to the same pixels, across and down.
        QCOMPARE(s.toPixelsX(s.toTwipsX(pixels)), pixels);
        QCOMPARE(s.toPixelsY(s.toTwipsY(pixels)), pixels);
        QCOMPARE(s.toPixels(s.toTwips(QSize(pixels, pixels))), QSize(pixels, pixels));
    }

    void scalesNeverShrinkTheDesign_data() {
        QTest::addColumn<double>("given");
        QTest::addColumn<double>("used");
        QTest::newRow("wider") << 1.7 << 1.7;
        QTest::newRow("narrower") << 0.8 << 1.0;
        QTest::newRow("zero") << 0.0 << 1.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 1.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1.0;
    }
    void scalesNeverShrinkTheDesign() {
        QFETCH(double, given);
        QFETCH(double, used);
        SetTwipScales({given, 1.25}, {1.1, given});
        QCOMPARE(GridScale(), (TwipScale{used, 1.25}));
        QCOMPARE(ListScale(), (TwipScale{1.1, used}));
        QCOMPARE(PictureScale(), (TwipScale{1.25, 1.25})); // even, from the height of a line
    }
};

QTEST_GUILESS_MAIN(TwipsTest)
#include "tst_twips.moc"
