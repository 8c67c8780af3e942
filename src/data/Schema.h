#pragma once
// The four tables of coal.dat, in one place.

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

namespace vestrel {

// The twelve index columns in the order of the index set (total moisture ... sodium).
const QStringList& IndexColumns();

bool CreateSchema(QSqlDatabase& db);
// "" when every table and column the program uses is present, otherwise the reason in Chinese. When the
// tables cannot even be read, *readError tells SQLite's reason (a lock, damage, not a database).
QString CheckSchema(QSqlDatabase& db, QSqlError* readError = nullptr);

// Date and time as the program stores them.
QString DbDateTimeText(const QDateTime& when);

} // namespace vestrel
