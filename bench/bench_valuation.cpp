// Times the break-even price of an offer and the limit prices against 10-lot, 12-limit panels: the lots scatter
// around typical values (seeded), the limits sit at the panel's mean or a little looser, with tonnes and two
// must-use lots or without. Prints the median of several repeats and the answers.

#include "blending/Valuation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace vestrel;

namespace {

constexpr int kRepeats = 5;
constexpr double kTypical[kIndexCount] = {0.03, 8, 0.02, 2.5, 0.4, 10, 0.03, 0.02, 85, 0.02, 0.03, 0.01};

struct Lcg {
    std::uint64_t state;
    double next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(state >> 11) / double(std::uint64_t(1) << 53);
    }
};

// `squeeze` moves every limit that share of the lots' spread past the mean; 0 keeps the panel workable.
PanelTexts panel(std::uint64_t seed, double squeeze, bool extras) {
    PanelTexts t;
    Lcg rng{seed};
    const int lots = 10;
    for (int j = 0; j < lots; ++j) {
        for (int x = 0; x < kIndexCount; ++x) {
            const bool lower = x == CellFixedCarbon - 1;
            const double u = 0.7 * rng.next() - 0.35;
            t.cell(j, IndexCell(x)) = QString::number(kTypical[x] * (1 + (lower ? -u * 0.1 : u)), 'f', 2);
        }
        t.cell(j, CellName) = QStringLiteral("焦%1").arg(j + 1);
        t.cell(j, CellPrice) = QString::number(1500 + 300 * rng.next(), 'f', 2);
        t.cell(j, CellStock) = QString::number(20 + (j * 29) % 50);
    }
    for (int x = 0; x < kIndexCount; ++x) {
        const bool lower = x == CellFixedCarbon - 1;
        double mean = 0, low = 1e9, high = -1e9;
        for (int j = 0; j < lots; ++j) {
            const double v = t.cell(j, IndexCell(x)).toDouble();
            mean += v / lots;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        const double v = lower ? mean + squeeze * (high - mean) : mean - squeeze * (mean - low);
        t.target(x) = QString::number(lower ? std::floor(v * 100) / 100 : std::ceil(v * 100) / 100, 'f', 2);
    }
    if (extras) {
        t.tonnes = QStringLiteral("300");
        t.mustUse[0] = true;
        t.mustUse[9] = true;
    }
    return t;
}

} // namespace

namespace {

template <class F> double medianMs(F f) {
    std::vector<double> times;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("%-24s %12s %12s %s\n", "panel", "break-even ms", "limits ms", "answer");
    double worst = 0;
    for (const bool extras : {false, true})
        for (const double squeeze : {0.0, -0.3})
            for (const std::uint64_t seed : {1u, 2u, 3u}) {
                const PanelTexts texts = panel(seed, squeeze, extras);
                const QList<Mei> lots = ReadGridLots(texts);
                // The offer: the panel's first lot with other values, at a typical price.
                const PanelTexts other = panel(seed + 100, 0, false);
                Mei offer = ReadGridLots(other).value(0);
                offer.MingCheng = QStringLiteral("报价");
                offer.JiaGe = 1650;
                offer.Kucun = 1000;
                BreakEven b;
                const double be = medianMs([&] { b = BreakEvenPrice(lots, texts, offer); });
                std::vector<LimitPrice> prices;
                const double lp = medianMs([&] { prices = LimitPrices(lots, texts); });
                worst = std::max(worst, be);
                const QByteArray name = QStringLiteral("10x12 %1 slack %2 #%3")
                                            .arg(extras ? QStringLiteral("t+m") : QStringLiteral("   "))
                                            .arg(-squeeze, 0, 'f', 1)
                                            .arg(seed)
                                            .toUtf8();
                std::printf("%-24s %12.2f %12.2f %s\n", name.constData(), be, lp,
                            BreakEvenText(b, offer.JiaGe).toUtf8().constData());
            }
    std::printf("slowest break-even median: %.2f ms (target 500)\n", worst);
    return 0;
}
