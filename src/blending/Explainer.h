#pragma once
// Why a run found no blend: the conditions that cannot hold together, how far each limit would have to move,
// the most tonnes the stocks allow and which must-use lots stand in the way. Every answer is for whole
// parts at k = 100, the finest blend a run tries, with the "高级指标" limits as the run applies them.

#include "blending/ExplainSolve.h"
#include "blending/PanelTexts.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vestrel {

constexpr int kExplainParts = 100;

// One condition of a run's model. New kinds go at the end; every kind names its lot or index in `at`.
struct Condition {
    enum class Kind {
        Limit,     // the target of index `at` (0..11, as PanelTexts::targets)
        Stock,     // lot `at` (panel row) may give at most its stock of the tonnes asked for
        MustUse,   // lot `at` gets at least one part
        OtherSide, // the "高级指标" other side of index `at`'s limit
        ShareMin,  // lot `at` gets at least its share bound in per cent
        ShareMax,  // lot `at` gets at most its share bound in per cent
        MaxLots,   // at most that many lots carry parts (`at` is 0); only when it is fewer than the lots
    };
    Kind kind = Kind::Limit;
    int at = 0;
    bool operator==(const Condition&) const = default;
};

struct LimitAdvice {
    int index = 0;      // into PanelTexts::targets
    bool lower = false; // fixed carbon: a floor
    // The tightest value, in two-decimal steps, that allows a blend with every other condition kept; nothing
    // when no value of this limit alone helps.
    std::optional<QString> tightest;
};

struct MustUseAdvice {
    int row = 0;
    bool droppingHelps = false;
};

struct Explanation {
    bool blendExists = false;         // the conditions allow a blend at k = 100 (nothing to explain)
    std::vector<Condition> conflict;  // an irreducible set: drop any one of them and a blend exists
    bool continuousConflict = false;  // the conflict already holds with fractional parts
    std::vector<LimitAdvice> limits;  // every targeted index, in index order
    bool tonnesGiven = false;         // a tonnage was asked for
    std::optional<QString> maxTonnes; // the most tonnes the stocks allow, two decimals cut down; none: no tonnage helps
    std::vector<MustUseAdvice> mustUse; // every must-use lot, in row order
};

// The conditions of a run over `lots` (panel rows 0..n-1) and the checked texts, in the order the explainer
// tries them: limits by index, then stock rows, then must-use lots, then the other sides by index, the share
// bounds by row and the cap on lots.
std::vector<Condition> RunConditions(const QList<Mei>& lots, const PanelTexts& texts);

// A run's model at k = 100: linear rows over X1..Xn and the cap on the number of lots with parts, which is no
// linear row over the parts.
struct RunModel {
    explain::Rows rows;
    int maxLots = -1; // none below 0
};

// The rows of all those conditions and the parts adding up to k = 100, for other questions to the same model.
// singleLotSeen adds the run's difference row (1 <= X1 <= 99), which a run applies once a single-lot scheme
// was found at a smaller k.
RunModel RunRows(const QList<Mei>& lots, const PanelTexts& texts, bool singleLotSeen = false);

// The least whole-part point of the model by `objective` (empty: any point), the cap included; nothing when
// there is none.
std::optional<explain::WholePoint> SolveRun(const RunModel& model, const std::vector<solver::Term>& objective = {});

Explanation ExplainNoScheme(const QList<Mei>& lots, const PanelTexts& texts);

// "硫分<=1.5", "固定碳>=88", "A的库存40吨(配100吨)", "B必选", "硫分>=0.5", "B>=10%", "B<=40%", "最多3种".
QString ConditionText(const Condition& c, const QList<Mei>& lots, const PanelTexts& texts);
// "硫分<=1.5 与 固定碳>=88 不能同时满足"; one condition alone: "硫分<=1.5 无法满足".
QString ConflictSentence(const Explanation& e, const QList<Mei>& lots, const PanelTexts& texts);

} // namespace vestrel
