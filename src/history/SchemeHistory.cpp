#include "history/SchemeHistory.h"

#include "base/CommonFunction.h"
#include "data/Dbconnection.h"
#include "lists/ListViewFunction.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace vestrel {

namespace {

constexpr int kDesignToolbar = 288;
constexpr int kMinFrameWidth = 2400;
constexpr int kMinListHeight = 1100; // room for the header and two rows
constexpr int kBottomMargin = 60;
// txtZhongliang Top + Height: the ratio list starts below the tonnage row.
constexpr int kTonnageRowBottom = 240 + 390;

DbStatus exec(QSqlQuery& q, const QString& sql, const QVariantList& binds) {
    if (!q.prepare(sql)) return Failed(q);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    if (!q.exec()) return Failed(q);
    return {};
}

} // namespace

void SetSchemeSetColumns(ListData& list) {
    list.columns = {{QStringLiteral("编号"), 0, ColumnKind::Number},
                    {QStringLiteral("方案名称"), 2000, ColumnKind::Text},
                    {QStringLiteral("方案日期"), 1440, ColumnKind::Date}};
}

DbStatus FillSchemeSetRows(ListData& list) {
    list.rows.clear();
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    QSqlQuery q(session.db());
    q.setForwardOnly(true);
    if (DbStatus done =
            exec(q, QStringLiteral("SELECT id, fanganhao, xinxi, riqi FROM Lishi_fangan ORDER BY id DESC LIMIT ?"),
                 {kSchemeSetLimit});
        !done)
        return done;
    list.rows.reserve(kSchemeSetLimit);
    while (q.next()) {
        ListRow row;
        row.text = q.value(0).toString();
        row.subItems = {q.value(2).isNull() ? QString() : q.value(2).toString(), SchemeDateText(q.value(3))};
        list.rows.append(std::move(row));
    }
    if (q.lastError().isValid()) {
        list.rows.clear();
        return Failed(q);
    }
    return {};
}

QString SchemeDateText(const QVariant& riqi) {
    if (riqi.isNull()) return {};
    QDateTime when = riqi.toDateTime();
    if (riqi.typeId() == QMetaType::QString)
        when = QDateTime::fromString(riqi.toString().trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!when.isValid()) return riqi.toString();
    return when.toString(kListDateFormat);
}

QString LotsOfSetSql() {
    return QStringLiteral("SELECT * FROM Lishi_meitan WHERE followid=? ORDER BY id ASC");
}

QString RatiosOfSetSql() {
    // id breaks ties so schemes of one price keep the order they were stored in.
    return QStringLiteral("SELECT * FROM Lishi_Peibibiao WHERE followid=? ORDER BY JiaGe ASC, id ASC");
}

DbResult<std::optional<QString>> LoadSchemeTargets(qint64 setId) {
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    QSqlQuery q(session.db());
    q.setForwardOnly(true);
    if (DbStatus done = exec(q, QStringLiteral("SELECT xinxi FROM Lishi_fangan WHERE id=? LIMIT 1"), {setId}); !done)
        return DbError{done.error()};
    const bool found = q.next();
    if (q.lastError().isValid()) return Failed(q);
    if (!found) return std::optional<QString>();
    QString text = q.value(0).isNull() ? QString() : q.value(0).toString();
    text.remove(QStringLiteral("\r\n"));
    return std::optional<QString>(text);
}

QStringList LotNames(const ListData& lots) {
    QStringList names;
    names.reserve(lots.rowCount());
    for (int r = 0; r < lots.rowCount(); ++r)
        names << lots.cell(r, 1);
    return names;
}

std::optional<qint32> TonnageFromText(const QString& text) {
    if (!IsNumeric(text)) return std::nullopt;
    return ToLong(QVariant(text));
}

void ConvertSharesToTonnes(ListData& ratios, int lotCount, qint32 tonnes) {
    const int n = std::clamp(lotCount, 0, kShareColumnCount);
    for (ListRow& row : ratios.rows) {
        if (row.subItems.size() < n) row.subItems.resize(n);
        double sum = 0;
        for (int k = 0; k < n; ++k)
            sum = std::nearbyint(sum + ToDouble(row.subItems[k])); // the sum holds whole numbers only
        if (sum == 0) continue;
        for (int k = 0; k < n; ++k) {
            const double share = ToDouble(row.subItems[k]);
            // Exactly: the share in cents x tonnes, one division by S, halves away from zero. Shares are the
            // run's whole parts (at most 100); anything far beyond falls back to floating point.
            const std::optional<std::int64_t> cents = ToCents(share);
            if (cents && std::fabs(double(*cents)) * std::fabs(double(tonnes)) < 4e18 && std::fabs(sum) < 1e15) {
                row.subItems[k] = CentsText(RoundedQuotient(*cents * tonnes, std::int64_t(sum)));
            } else {
                row.subItems[k] = RoundedDecimalText(GeneralNumberText(share * double(tonnes) / sum), 2);
            }
        }
    }
}

DbStatus DeleteSchemeSets(const QList<qint64>& ids) {
    if (ids.isEmpty()) return {};
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    DbTransaction transaction;
    if (!transaction.active()) return DbError{transaction.error()};
    QSqlQuery q(session.db());
    const QStringList statements{QStringLiteral("DELETE FROM Lishi_Peibibiao WHERE followid=?"),
                                 QStringLiteral("DELETE FROM Lishi_meitan WHERE followid=?"),
                                 QStringLiteral("DELETE FROM Lishi_fangan WHERE id=?")};
    for (qint64 id : ids)
        for (const QString& sql : statements)
            if (DbStatus done = exec(q, sql, {id}); !done) return done;
    return transaction.commit();
}

QSize HistoryDesignInside() {
    return {11160, 7776};
}

HistoryLayout LayoutHistory(QSize insideTwips, int toolbarTwips) {
    const int dy = std::max(0, toolbarTwips - kDesignToolbar);
    const int frameWidth = std::max(kMinFrameWidth, insideTwips.width() - 200);
    const int listWidth = frameWidth - 200;
    HistoryLayout l;
    l.fraLeft = QRect(100, 480 + dy, frameWidth, 2055);
    l.lsvLeft = QRect(100, 240, listWidth, 1695);
    l.fraTop = QRect(100, 2640 + dy, frameWidth, 735);
    l.lbZhibiao = QRect(240, 240, frameWidth - 340, 375);
    l.fraMid = QRect(100, 3480 + dy, frameWidth, 1935);
    l.lsvMid = QRect(100, 240, listWidth, 1575);
    const int bottomTop = 5520 + dy;
    const int minBottom = kTonnageRowBottom + 200 + kMinListHeight;
    const int bottomHeight = std::max(minBottom, insideTwips.height() - bottomTop - kBottomMargin);
    l.fraBottom = QRect(100, bottomTop, frameWidth, bottomHeight);
    l.lsvBottom = QRect(100, 720, listWidth, bottomHeight - 200 - kTonnageRowBottom);
    return l;
}

QPair<int, int> SchemeSetColumnWidths(int listWidthTwips) {
    const int w = std::max(0, listWidthTwips);
    return {w * 3 / 4, w / 4};
}

} // namespace vestrel
