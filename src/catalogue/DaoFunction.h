#pragma once
// Catalogue data access. Every operation holds a DbSession; failures are values and the
// reason is in LastDbError().

#include "catalogue/Mei.h"

#include <QList>
#include <optional>

namespace vestrel {

enum class SaveResult { Saved, Vanished, Failed };

// id 0 adds a row; otherwise changes the row with that id. A row deleted meanwhile is neither recreated nor
// replaced: the result is Vanished and nothing is written.
SaveResult SaveMei(const Mei& lot);
// The lot with that id, values rounded to two decimals; id and Riqi are not filled. An empty Mei when no
// row matches; std::nullopt when the database failed.
std::optional<Mei> LoadMei(qint32 id);
bool DeleteMei(qint32 id);
// Deletes several lots in one transaction: all or none.
bool DeleteMeis(const QList<qint32>& ids);
// Number of catalogue rows; std::nullopt when the database failed.
std::optional<qint64> CountMeitan();
// The lots with these ids, in the order the database returns them (ascending id), with id and LeiXing
// filled. Ids that no longer exist are simply missing.
std::optional<QList<Mei>> LoadMeisByIds(const QList<qint32>& ids);
// Every lot, in id order, with id and LeiXing filled; std::nullopt when the database failed.
std::optional<QList<Mei>> LoadAllMeis();
// Adds (id 0) or changes every lot in one transaction: all or none. When a lot to change no longer exists nothing
// is written and the result is Vanished.
SaveResult SaveMeis(const QList<Mei>& lots);

} // namespace vestrel
