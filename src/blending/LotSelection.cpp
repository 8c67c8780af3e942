#include "blending/LotSelection.h"

#include "catalogue/Catalogue.h"

namespace vestrel {

LotSelection SelectCheckedLots(const ListData& list) {
    LotSelection s;
    s.ids = CheckedLotIds(list);
    if (s.ids.size() > kMaxSelectedLots)
        s.warning = QStringLiteral("最多只能选择") + QString::number(kMaxSelectedLots) + QStringLiteral("种煤");
    return s;
}

} // namespace vestrel
