// Times the break-even price of an offer and the limit prices against 10-lot, 12-limit panels: the lots scatter
// around typical values (seeded), the limits sit at the panel's mean or a little looser, with tonnes and two
// must-use lots or without. Prints the median of several repeats and the answers.

#include "blending/Valuation.h"

#include "ScatteredPanel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace vestrel;
using vestrel::bench::panel;

namespace {

constexpr int kRepeats = 5;

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

// Times the offer's break-even and the limit prices on one panel, prints its row and returns the break-even time.
// The offer is the first lot of another seeded panel, at a typical price.
double benchPanel(const QString& name, const PanelTexts& texts, std::uint64_t offerSeed) {
    const QList<Mei> lots = ReadGridLots(texts);
    Mei offer = ReadGridLots(panel(offerSeed, 0, false)).value(0);
    offer.MingCheng = QStringLiteral("报价");
    offer.JiaGe = 1650;
    offer.Kucun = 1000;
    BreakEven b;
    const double be = medianMs([&] { b = BreakEvenPrice(lots, texts, offer); });
    std::vector<LimitPrice> prices;
    const double lp = medianMs([&] { prices = LimitPrices(lots, texts); });
    std::printf("%-24s %12.2f %12.2f %s\n", name.toUtf8().constData(), be, lp,
                BreakEvenText(b, offer.JiaGe).toUtf8().constData());
    return be;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("%-24s %12s %12s %s\n", "panel", "break-even ms", "limits ms", "answer");
    double worst = 0;
    for (const bool extras : {false, true})
        for (const double squeeze : {0.0, -0.3})
            for (const std::uint64_t seed : {1u, 2u, 3u}) {
                const QString name = QStringLiteral("10x12 %1 slack %2 #%3")
                                         .arg(extras ? QStringLiteral("t+m") : QStringLiteral("   "))
                                         .arg(-squeeze, 0, 'f', 1)
                                         .arg(seed);
                worst = std::max(worst, benchPanel(name, panel(seed, squeeze, extras), seed + 100));
            }
    // The same panels with the "高级指标" limits: a share bound and at most three lots, which the valuation
    // answers by leaving lots out in turn.
    double worstCapped = 0;
    for (const std::uint64_t seed : {1u, 2u, 3u}) {
        PanelTexts texts = panel(seed, 0, false);
        texts.advanced.shares = {{QStringLiteral("焦2"), QStringLiteral("5"), QStringLiteral("40")}};
        texts.advanced.maxLots = QStringLiteral("3");
        worstCapped =
            std::max(worstCapped, benchPanel(QStringLiteral("10x12 cap 3 share #%1").arg(seed), texts, seed + 100));
    }
    std::printf("slowest break-even median: %.2f ms (target 500)\n", worst);
    std::printf("slowest break-even median with a cap: %.2f ms\n", worstCapped);
    return 0;
}
