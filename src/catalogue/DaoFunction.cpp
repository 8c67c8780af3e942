#include "catalogue/DaoFunction.h"

#include "base/CommonFunction.h"
#include "data/Dbconnection.h"
#include "data/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace vestrel {

namespace {

void readLot(const QSqlQuery& q, Mei& lot) {
    lot.MingCheng = q.value(QStringLiteral("Name")).toString();
    lot.LeiXing = qint16(ToLong(q.value(QStringLiteral("leixing"))));
    for (const QualityIndex& idx : QualityIndices())
        lot.*idx.member = ToDouble(q.value(QLatin1String(idx.column)));
    lot.Kucun = ToDouble(q.value(QStringLiteral("kucun")));
    lot.JiaGe = ToDouble(q.value(QStringLiteral("JiaGe")));
}

void bindLot(QSqlQuery& q, const Mei& lot) {
    q.bindValue(QStringLiteral(":leixing"), int(lot.LeiXing));
    q.bindValue(QStringLiteral(":Name"), lot.MingCheng);
    for (const QualityIndex& idx : QualityIndices())
        q.bindValue(QStringLiteral(":") + QLatin1String(idx.column), lot.*idx.member);
    q.bindValue(QStringLiteral(":kucun"), lot.Kucun);
    q.bindValue(QStringLiteral(":JiaGe"), lot.JiaGe);
    q.bindValue(QStringLiteral(":riqi"), lot.Riqi.isValid() ? QVariant(DbDateTimeText(lot.Riqi)) : QVariant());
}

QString lotColumns() {
    return QStringLiteral("leixing, Name, ") + IndexColumns().join(QStringLiteral(", ")) +
           QStringLiteral(", kucun, JiaGe, riqi");
}

QString lotPlaceholders() {
    QStringList p{QStringLiteral(":leixing"), QStringLiteral(":Name")};
    for (const QString& c : IndexColumns())
        p << QStringLiteral(":") + c;
    p << QStringLiteral(":kucun") << QStringLiteral(":JiaGe") << QStringLiteral(":riqi");
    return p.join(QStringLiteral(", "));
}

} // namespace

DbResult<SaveResult> SaveMei(const Mei& lot) {
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    QSqlQuery q(db.db());
    if (lot.id <= 0) {
        q.prepare(QStringLiteral("INSERT INTO meitan (%1) VALUES (%2)").arg(lotColumns(), lotPlaceholders()));
        bindLot(q, lot);
        if (!q.exec()) return Failed(q);
        return SaveResult::Saved;
    }
    QStringList sets;
    const QStringList cols = lotColumns().split(QStringLiteral(", "));
    const QStringList holders = lotPlaceholders().split(QStringLiteral(", "));
    for (int i = 0; i < cols.size(); ++i)
        sets << cols[i] + QStringLiteral("=") + holders[i];
    q.prepare(QStringLiteral("UPDATE meitan SET %1 WHERE id=:id").arg(sets.join(QStringLiteral(", "))));
    bindLot(q, lot);
    q.bindValue(QStringLiteral(":id"), lot.id);
    if (!q.exec()) return Failed(q);
    return q.numRowsAffected() > 0 ? SaveResult::Saved : SaveResult::Vanished;
}

DbResult<Mei> LoadMei(qint32 id) {
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    QSqlQuery q(db.db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM meitan WHERE id=:id"));
    q.bindValue(QStringLiteral(":id"), id);
    if (!q.exec()) return Failed(q);
    Mei lot;
    if (q.next()) readLot(q, lot);
    return lot;
}

DbStatus DeleteMei(qint32 id) {
    return DeleteMeis({id});
}

DbStatus DeleteMeis(const QList<qint32>& ids) {
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    DbTransaction tx;
    if (!tx.active()) return DbError{tx.error()};
    QSqlQuery q(db.db());
    q.prepare(QStringLiteral("DELETE FROM meitan WHERE id=:id"));
    for (qint32 id : ids) {
        q.bindValue(QStringLiteral(":id"), id);
        if (!q.exec()) return Failed(q);
    }
    return tx.commit();
}

DbResult<qint64> CountMeitan() {
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    QSqlQuery q(db.db());
    if (!q.exec(QStringLiteral("SELECT count(*) AS zongshu FROM meitan")) || !q.next()) return Failed(q);
    return q.value(0).toLongLong();
}

DbResult<QList<Mei>> LoadMeisByIds(const QList<qint32>& ids) {
    QList<Mei> lots;
    if (ids.isEmpty()) return lots;
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    QStringList holders;
    for (qsizetype i = 0; i < ids.size(); ++i)
        holders << QStringLiteral("?");
    QSqlQuery q(db.db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM meitan WHERE id IN (%1) ORDER BY id").arg(holders.join(u',')));
    for (qint32 id : ids)
        q.addBindValue(id);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        Mei lot;
        lot.id = q.value(QStringLiteral("id")).toInt();
        readLot(q, lot);
        lots << lot;
    }
    return lots;
}

DbResult<QList<Mei>> LoadAllMeis() {
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    QSqlQuery q(db.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM meitan ORDER BY id"))) return Failed(q);
    QList<Mei> lots;
    while (q.next()) {
        Mei lot;
        lot.id = q.value(QStringLiteral("id")).toInt();
        readLot(q, lot);
        lots << lot;
    }
    if (q.lastError().isValid()) return Failed(q);
    return lots;
}

DbResult<SaveResult> SaveMeis(const QList<Mei>& lots) {
    DbSession db;
    if (!db.ok()) return DbError{db.error()};
    DbTransaction tx;
    if (!tx.active()) return DbError{tx.error()};
    // Positional values: the driver matches named ones to their places anew on every execution.
    QStringList columns{QStringLiteral("leixing"), QStringLiteral("Name")};
    for (const QualityIndex& idx : QualityIndices())
        columns << QLatin1String(idx.column);
    columns << QStringLiteral("kucun") << QStringLiteral("JiaGe") << QStringLiteral("riqi");
    auto bindInOrder = [](QSqlQuery& q, const Mei& lot) {
        q.addBindValue(int(lot.LeiXing));
        q.addBindValue(lot.MingCheng);
        for (const QualityIndex& idx : QualityIndices())
            q.addBindValue(lot.*idx.member);
        q.addBindValue(lot.Kucun);
        q.addBindValue(lot.JiaGe);
        q.addBindValue(lot.Riqi.isValid() ? QVariant(DbDateTimeText(lot.Riqi)) : QVariant());
    };
    QSqlQuery insert(db.db());
    QSqlQuery update(db.db());
    const QString marks = QStringList(columns.size(), QStringLiteral("?")).join(u',');
    if (!insert.prepare(QStringLiteral("INSERT INTO meitan (%1) VALUES (%2)").arg(columns.join(u','), marks)))
        return Failed(insert);
    if (!update.prepare(QStringLiteral("UPDATE meitan SET %1=? WHERE id=?").arg(columns.join(QStringLiteral("=?,")))))
        return Failed(update);
    for (const Mei& lot : lots) {
        QSqlQuery& q = lot.id <= 0 ? insert : update;
        bindInOrder(q, lot);
        if (lot.id > 0) q.addBindValue(lot.id);
        if (!q.exec()) return Failed(q);
        if (lot.id > 0 && q.numRowsAffected() <= 0) return SaveResult::Vanished;
    }
    if (DbStatus committed = tx.commit(); !committed) return DbError{committed.error()};
    return SaveResult::Saved;
}

} // namespace vestrel
