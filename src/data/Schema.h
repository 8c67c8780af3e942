#pragma once
// The four tables of coal.dat, in one place.

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace vestrel {

// The twelve index columns in the order of the index set (total moisture ... sodium).
const QStringList& IndexColumns();

bool CreateSchema(QSqlDatabase& db);
// "" when every table and column the program uses is present, otherwise the reason in Chinese.
QString CheckSchema(QSqlDatabase& db);

// Date and time as the program stores them.
QString DbDateTimeText(const QDateTime& when);

} // namespace vestrel
