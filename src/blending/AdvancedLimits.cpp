#include "blending/AdvancedLimits.h"

namespace vestrel {

bool AdvancedLimits::isEmpty() const {
    for (const QString& limit : otherSide)
        if (!limit.isEmpty()) return false;
    for (const ShareLimit& share : shares)
        if (!share.min.isEmpty() || !share.max.isEmpty()) return false;
    return maxLots.isEmpty();
}

const ShareLimit* AdvancedLimits::shareFor(const QString& name) const {
    for (const ShareLimit& share : shares)
        if (share.name == name) return &share;
    return nullptr;
}

} // namespace vestrel
