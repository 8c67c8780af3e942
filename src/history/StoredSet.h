#pragma once
// A stored scheme set as the history keeps it: its summary line, its lots and its schemes. A scheme's k is the
// sum of its parts.

#include "catalogue/Mei.h"
#include "data/DbResult.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace vestrel {

struct StoredScheme {
    qint64 id = 0;
    int k = 0;
    std::vector<double> parts; // one per lot of the set
    double price = 0;
};

struct StoredSet {
    qint64 id = 0;
    QString summary;
    QList<Mei> lots;                   // in panel order
    std::vector<StoredScheme> schemes; // cheapest first
};

// Nothing when the set is gone (no reason given) or the database fails.
DbResult<StoredSet> LoadStoredSet(qint64 setId);
// The set a scheme belongs to, the same way.
DbResult<StoredSet> LoadSetOfScheme(qint64 schemeId);

QStringList LotNames(const StoredSet& set);

} // namespace vestrel
