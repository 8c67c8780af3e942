#include "data/Schema.h"

#include "data/IndexTable.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vestrel {

namespace {

// Marks files made by this program; checked only as a hint, the tables decide.
constexpr int kApplicationId = 0x56535452;
constexpr int kSchemaVersion = 1;

QString indexColumnsDdl() {
    QStringList parts;
    for (const QString& c : IndexColumns())
        parts << c + QStringLiteral(" REAL");
    return parts.join(QStringLiteral(", "));
}

struct TableSpec {
    QString name;
    QStringList columns;
};

QList<TableSpec> requiredTables() {
    QStringList lot = QStringList{QStringLiteral("Name")} + IndexColumns() +
                      QStringList{QStringLiteral("kucun"), QStringLiteral("JiaGe")};
    QStringList shares;
    for (int k = 1; k <= 10; ++k)
        shares << QStringLiteral("d%1").arg(k);
    return {
        {QStringLiteral("meitan"),
         QStringList{QStringLiteral("id"), QStringLiteral("leixing"), QStringLiteral("riqi")} + lot},
        {QStringLiteral("Lishi_fangan"),
         {QStringLiteral("id"), QStringLiteral("xinxi"), QStringLiteral("riqi"), QStringLiteral("fanganhao")}},
        {QStringLiteral("Lishi_meitan"),
         QStringList{QStringLiteral("id"), QStringLiteral("followid"), QStringLiteral("leixing")} + lot},
        {QStringLiteral("Lishi_Peibibiao"),
         QStringList{QStringLiteral("id"), QStringLiteral("followid")} + shares + lot},
    };
}

} // namespace

const QStringList& IndexColumns() {
    static const QStringList columns = [] {
        QStringList c;
        for (const IndexInfo& i : IndexTable())
            c << QLatin1String(i.column);
        return c;
    }();
    return columns;
}

bool CreateSchema(QSqlDatabase& db) {
    const QString idx = indexColumnsDdl();
    QStringList shares;
    for (int k = 1; k <= 10; ++k)
        shares << QStringLiteral("d%1 REAL").arg(k);
    const QStringList statements{
        // AUTOINCREMENT: numbers of deleted rows are never handed out again.
        QStringLiteral("CREATE TABLE meitan (id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, %1, kucun REAL, "
                       "JiaGe REAL, leixing INTEGER DEFAULT 0, riqi TEXT)")
            .arg(idx),
        QStringLiteral("CREATE TABLE Lishi_fangan (id INTEGER PRIMARY KEY AUTOINCREMENT, xinxi TEXT, "
                       "riqi TEXT DEFAULT (strftime('%Y-%m-%d %H:%M:%S','now','localtime')), fanganhao INTEGER)"),
        QStringLiteral("CREATE TABLE Lishi_meitan (id INTEGER PRIMARY KEY AUTOINCREMENT, followid INTEGER, "
                       "leixing INTEGER DEFAULT 0, Name TEXT, %1, kucun REAL, JiaGe REAL)")
            .arg(idx),
        QStringLiteral("CREATE TABLE Lishi_Peibibiao (id INTEGER PRIMARY KEY AUTOINCREMENT, followid INTEGER, %1, "
                       "Name TEXT, %2, kucun REAL, JiaGe REAL)")
            .arg(shares.join(QStringLiteral(", ")), idx),
        QStringLiteral("CREATE INDEX ix_Lishi_meitan_followid ON Lishi_meitan(followid)"),
        QStringLiteral("CREATE INDEX ix_Lishi_Peibibiao_followid ON Lishi_Peibibiao(followid, JiaGe)"),
        QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId),
        QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion),
    };
    if (!db.transaction()) return false;
    QSqlQuery q(db);
    for (const QString& s : statements) {
        if (!q.exec(s)) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

QString CheckSchema(QSqlDatabase& db, QSqlError* readError) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"))) {
        if (readError) *readError = q.lastError();
        return QStringLiteral("文件已损坏或不是数据库");
    }
    QStringList present;
    while (q.next())
        present << q.value(0).toString();
    if (q.lastError().isValid()) {
        if (readError) *readError = q.lastError();
        return QStringLiteral("文件已损坏或不是数据库");
    }
    q.finish();
    for (const TableSpec& t : requiredTables()) {
        QString actual;
        for (const QString& p : present)
            if (p.compare(t.name, Qt::CaseInsensitive) == 0) actual = p;
        if (actual.isEmpty()) return QStringLiteral("缺少数据表 %1").arg(t.name);
        const QSqlRecord rec = db.record(actual);
        for (const QString& c : t.columns) {
            bool found = false;
            for (int i = 0; i < rec.count() && !found; ++i)
                found = rec.fieldName(i).compare(c, Qt::CaseInsensitive) == 0;
            if (!found) return QStringLiteral("数据表 %1 缺少列 %2").arg(t.name, c);
        }
    }
    return {};
}

QString DbDateTimeText(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace vestrel
