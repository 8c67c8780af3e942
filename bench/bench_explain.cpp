// Times the explanation of a run without schemes on 10-lot, 12-limit panels: the lots scatter around typical
// values (seeded), the limits sit at the panel's mean and are then pulled tighter until no blend meets them
// all, with tonnes and two must-use lots or without. Prints the median of several repeats and what the
// explainer found.

#include "blending/Explainer.h"

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

constexpr int kRepeats = 7;
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("%-28s %10s %10s %8s %9s\n", "panel", "median ms", "worst ms", "conflict", "no value");
    double worstOfAll = 0;
    for (const bool extras : {false, true})
        for (const double squeeze : {0.0, 0.3, 0.6, 0.9})
            for (const std::uint64_t seed : {1u, 2u, 3u}) {
                const PanelTexts texts = panel(seed, squeeze, extras);
                const QList<Mei> lots = ReadGridLots(texts);
                std::vector<double> times;
                Explanation e;
                for (int r = 0; r < kRepeats; ++r) {
                    QElapsedTimer timer;
                    timer.start();
                    e = ExplainNoScheme(lots, texts);
                    times.push_back(double(timer.nsecsElapsed()) / 1e6);
                }
                std::sort(times.begin(), times.end());
                worstOfAll = std::max(worstOfAll, times[times.size() / 2]);
                int none = 0;
                for (const LimitAdvice& a : e.limits)
                    none += a.tightest ? 0 : 1;
                const QByteArray name = QStringLiteral("10x12 %1 squeeze %2 #%3")
                                            .arg(extras ? QStringLiteral("t+m") : QStringLiteral("   "))
                                            .arg(squeeze, 0, 'f', 1)
                                            .arg(seed)
                                            .toUtf8();
                std::printf("%-28s %10.2f %10.2f %8d %9d%s\n", name.constData(), times[times.size() / 2], times.back(),
                            int(e.conflict.size()), none, e.blendExists ? "  (has a blend)" : "");
            }
    std::printf("slowest median: %.2f ms\n", worstOfAll);
    return 0;
}
