#pragma once
// The limits of the "高级指标" dialog, as typed: the other side of each index's limit, share bounds per lot and
// a cap on the number of lots in a scheme. An empty text means no limit; with everything empty a run is the
// same as without the dialog.

#include "data/IndexTable.h"

#include <QList>
#include <QString>
#include <array>

namespace vestrel {

// Share bounds in per cent for the panel rows holding the lot of that name. They follow the name rather than
// the row, so rows moved up, deleted or refilled never hand a bound to another lot.
struct ShareLimit {
    QString name;
    QString min;
    QString max;

    bool operator==(const ShareLimit&) const = default;
};

struct AdvancedLimits {
    // Indexed like PanelTexts::targets: a lower limit for the eleven upper-limited indices, an upper limit for
    // fixed carbon.
    std::array<QString, kIndexCount> otherSide;
    QList<ShareLimit> shares; // at most one per name
    QString maxLots;          // the most lots one scheme may use

    // No limit at all: the model and the summary are what they are without the dialog.
    bool isEmpty() const;
    // The bounds for a lot of that name, or nullptr.
    const ShareLimit* shareFor(const QString& name) const;

    bool operator==(const AdvancedLimits&) const = default;
};

} // namespace vestrel
