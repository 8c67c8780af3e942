#pragma once
// Catalogue data access. Every operation holds a DbSession; a failure comes back with its reason.

#include "catalogue/Mei.h"
#include "data/DbResult.h"

#include <QList>

namespace vestrel {

enum class SaveResult { Saved, Vanished };

// id 0 adds a row; otherwise changes the row with that id. A row deleted meanwhile is neither recreated nor
// replaced: the result is Vanished and nothing is written.
DbResult<SaveResult> SaveMei(const Mei& lot);
// The lot with that id, values rounded to two decimals; id and Riqi are not filled. An empty Mei when no
// row matches.
DbResult<Mei> LoadMei(qint32 id);
DbStatus DeleteMei(qint32 id);
// Deletes several lots in one transaction: all or none.
DbStatus DeleteMeis(const QList<qint32>& ids);
// Number of catalogue rows.
DbResult<qint64> CountMeitan();
// The lots with these ids, in the order the database returns them (ascending id), with id and LeiXing
// filled. Ids that no longer exist are simply missing.
DbResult<QList<Mei>> LoadMeisByIds(const QList<qint32>& ids);
// Every lot, in id order, with id and LeiXing filled.
DbResult<QList<Mei>> LoadAllMeis();
// Adds (id 0) or changes every lot in one transaction: all or none. When a lot to change no longer exists nothing
// is written and the result is Vanished.
DbResult<SaveResult> SaveMeis(const QList<Mei>& lots);

} // namespace vestrel
