#include "history/StoredSet.h"

#include "blending/PanelTexts.h"
#include "data/Dbconnection.h"

#include <QSqlQuery>
#include <cmath>

namespace vestrel {

namespace {

void readValues(const QSqlQuery& q, Mei& m) {
    for (const QualityIndex& idx : QualityIndices())
        m.*idx.member = q.value(QLatin1String(idx.column)).toDouble();
    m.Kucun = q.value(QStringLiteral("kucun")).toDouble();
    m.JiaGe = q.value(QStringLiteral("JiaGe")).toDouble();
}

} // namespace

DbResult<StoredSet> LoadStoredSet(qint64 setId) {
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    StoredSet set;
    set.id = setId;
    QSqlQuery q(session.db());
    if (!q.prepare(QStringLiteral("SELECT xinxi FROM Lishi_fangan WHERE id=?"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    if (!q.next()) return DbError{}; // gone: nothing to add
    set.summary = q.value(0).toString();
    q.finish();
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_meitan WHERE followid=? ORDER BY id ASC"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        Mei m;
        m.MingCheng = q.value(QStringLiteral("Name")).toString();
        m.LeiXing = qint16(q.value(QStringLiteral("leixing")).toInt());
        readValues(q, m);
        set.lots << m;
    }
    q.finish();
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_Peibibiao WHERE followid=? ORDER BY JiaGe ASC, id ASC")))
        return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        StoredScheme s;
        s.id = q.value(QStringLiteral("id")).toLongLong();
        double total = 0;
        for (int j = 1; j <= set.lots.size() && j <= kGridRows; ++j) {
            s.parts.push_back(q.value(QStringLiteral("d%1").arg(j)).toDouble());
            total += s.parts.back();
        }
        s.k = int(std::lround(total));
        s.price = q.value(QStringLiteral("JiaGe")).toDouble();
        set.schemes.push_back(std::move(s));
    }
    return set;
}

DbResult<StoredSet> LoadSetOfScheme(qint64 schemeId) {
    qint64 setId = 0;
    {
        const DbSession session;
        if (!session.ok()) return DbError{session.error()};
        QSqlQuery q(session.db());
        if (!q.prepare(QStringLiteral("SELECT followid FROM Lishi_Peibibiao WHERE id=?"))) return Failed(q);
        q.addBindValue(schemeId);
        if (!q.exec()) return Failed(q);
        if (!q.next()) return DbError{}; // gone: nothing to add
        setId = q.value(0).toLongLong();
    }
    return LoadStoredSet(setId);
}

QStringList LotNames(const StoredSet& set) {
    QStringList names;
    for (const Mei& m : set.lots)
        names << m.MingCheng;
    return names;
}

} // namespace vestrel
