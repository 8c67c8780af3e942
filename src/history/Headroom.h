#pragma once
// How close a stored scheme sits to its set's limits, and the lots' shares: what the history window shows
// beside the selected scheme.

#include "catalogue/Mei.h"
#include "data/DbResult.h"
#include "history/SetSummary.h"

#include <QList>
#include <QString>
#include <optional>
#include <span>
#include <vector>

namespace vestrel {

struct HeadroomBar {
    enum class State { Inside, Near, Binding, Outside };
    int index = 0;
    QString label;    // "硫分<=2.5"
    double value = 0; // the blend's value of the index, unrounded
    double limit = 0;
    bool lower = false;
    State state = State::Inside;
    double fill = 0; // value against the limit, 0..1, for drawing
};

struct LotShare {
    QString name;
    double percent = 0;
};

struct Headroom {
    std::vector<HeadroomBar> bars;
    std::vector<LotShare> shares; // lots with parts, in panel order
};

// Near: within 2 % of the limit; binding: the value at two decimals is the limit.
Headroom SchemeHeadroom(const QList<Mei>& lots, std::span<const double> parts, const std::vector<SetLimit>& limits);

// The headroom of one stored scheme (Lishi_Peibibiao id) from its set's lots and summary; nothing when the
// scheme or its set is gone (no reason given) or the database fails.
DbResult<Headroom> LoadHeadroom(qint64 schemeId);

} // namespace vestrel
