#include "lists/ListViewFunction.h"

#include "base/CommonFunction.h"
#include "base/Seams.h"
#include "data/Dbconnection.h"
#include "data/IndexTable.h"
#include "data/Schema.h"

#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace vestrel {

namespace {

enum class CellFormat { Text, Value, WholeNumber };

struct SourceColumn {
    QString name;
    CellFormat format;
};

const QStringList& indexHeaders() {
    static const QStringList headers = [] {
        QStringList h;
        for (const IndexInfo& i : IndexTable())
            h << QString::fromUtf16(i.header);
        return h;
    }();
    return headers;
}

QList<SourceColumn> lotSources() {
    QList<SourceColumn> s{{QStringLiteral("id"), CellFormat::Text}, {QStringLiteral("Name"), CellFormat::Text}};
    for (const QString& c : IndexColumns())
        s.append({c, CellFormat::Value});
    s.append({QStringLiteral("kucun"), CellFormat::Value});
    s.append({QStringLiteral("JiaGe"), CellFormat::Value});
    return s;
}

QList<SourceColumn> ratioSources() {
    QList<SourceColumn> s{{QStringLiteral("id"), CellFormat::Text}};
    for (int k = 1; k <= kShareColumnCount; ++k)
        s.append({QStringLiteral("d%1").arg(k), CellFormat::WholeNumber});
    for (const QString& c : IndexColumns())
        s.append({c, CellFormat::Value});
    s.append({QStringLiteral("JiaGe"), CellFormat::Value});
    return s;
}

QString cellText(const QVariant& v, CellFormat format) {
    switch (format) {
    case CellFormat::Value:
        return FormatTwoDecimals(v);
    case CellFormat::WholeNumber:
        return QString::number(ToLong(v));
    case CellFormat::Text:
        break;
    }
    return v.isNull() ? QString() : v.toString();
}

DbStatus fillRows(ListData& list, const QString& sql, const QVariantList& binds, const QList<SourceColumn>& sources) {
    list.rows.clear();
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    QSqlQuery q(session.db());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return Failed(q);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    if (!q.exec()) return Failed(q);

    const QSqlRecord rec = q.record();
    QList<int> at;
    at.reserve(sources.size());
    for (const SourceColumn& s : sources) {
        const int i = rec.indexOf(s.name); // field names match without regard to case
        if (i < 0)
            return DbError{QStringLiteral("数据库“%1”操作失败：查询结果缺少列 %2")
                               .arg(QDir::toNativeSeparators(DbPath()), s.name)};
        at.append(i);
    }

    const int n = int(sources.size());
    while (q.next()) {
        ListRow row;
        row.text = cellText(q.value(at[0]), sources[0].format);
        row.subItems.reserve(n - 1);
        for (int c = 1; c < n; ++c)
            row.subItems.append(cellText(q.value(at[c]), sources[c].format));
        list.rows.append(std::move(row));
    }
    if (q.lastError().isValid()) {
        list.rows.clear();
        return Failed(q);
    }
    return {};
}

// The value a cell sorts by in a column of that kind; nothing for text columns and for cells that hold no
// number or date.
std::optional<double> SortValue(const QString& cell, ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Number:
        return ParseNumber(cell);
    case ColumnKind::Date: {
        const QDateTime when = QDateTime::fromString(cell.trimmed(), kListDateFormat);
        if (!when.isValid()) return std::nullopt;
        return double(when.toMSecsSinceEpoch());
    }
    case ColumnKind::Text:
        break;
    }
    return std::nullopt;
}

} // namespace

void SetLotColumns(ListData& list) {
    constexpr ColumnKind number = ColumnKind::Number;
    list.columns.clear();
    list.columns.append({QStringLiteral("编号"), 800, number});
    list.columns.append({QStringLiteral("名称"), 1800, ColumnKind::Text});
    for (const QString& h : indexHeaders())
        list.columns.append({h, 900, number});
    list.columns.append({QStringLiteral("库存"), 900, number});
    list.columns.append({QStringLiteral("价格"), 900, number});
}

DbStatus FillLotRows(ListData& list, const QString& sql, const QVariantList& binds) {
    static const QList<SourceColumn> sources = lotSources();
    return fillRows(list, sql, binds, sources);
}

int RatioColumnWidth(double screenWidthPixels) {
    const double px = std::isfinite(screenWidthPixels) ? std::nearbyint(screenWidthPixels) : 0.0;
    if (px < 1280) return 700;
    if (px < 1440) return 810;
    if (px < 1600) return 900;
    if (px < 1920) return 1000;
    return 1200;
}

void SetRatioColumns(ListData& list) {
    const int w = RatioColumnWidth(screenWidthPixels());
    constexpr ColumnKind number = ColumnKind::Number; // every column: id, parts (or tonnes), indices, price
    list.columns.clear();
    list.columns.append({QStringLiteral("序"), 0, number});
    for (int k = 1; k <= kShareColumnCount; ++k)
        list.columns.append({QStringLiteral("D%1").arg(k), w, number});
    for (const QString& h : indexHeaders())
        list.columns.append({h, w, number});
    list.columns.append({QStringLiteral("价格"), w + 100, number});
}

void FitRatioColumns(ListData& list, int widthTwips) {
    if (list.columnCount() != kRatioColumnCount) return;
    constexpr int kShown = kRatioColumnCount - 1;
    constexpr int kPriceExtra = 100;
    constexpr int kNarrowest = 300;
    const int w = list.columns[1].widthTwips;
    if (kShown * w + kPriceExtra <= widthTwips) return;
    const int fitting = std::max(kNarrowest, (widthTwips - kPriceExtra) / kShown);
    for (int c = 1; c < kRatioColumnCount; ++c)
        list.columns[c].widthTwips = std::min(list.columns[c].widthTwips, fitting);
    list.columns[kRatioColumnCount - 1].widthTwips = std::min(w, fitting) + kPriceExtra;
}

void NameRatioColumns(ListData& list, const QStringList& names) {
    const int last = std::min<int>(kFirstShareColumn + kShareColumnCount, list.columnCount());
    for (int c = kFirstShareColumn; c < last; ++c) {
        const int k = c - kFirstShareColumn;
        list.columns[c].header = k < names.size() ? names[k] : QStringLiteral("d%1").arg(k + 1);
    }
}

DbStatus FillRatioRows(ListData& list, const QString& sql, const QVariantList& binds) {
    static const QList<SourceColumn> sources = ratioSources();
    return fillRows(list, sql, binds, sources);
}

void SortListRows(ListData& list, int column, Qt::SortOrder order) {
    const int n = list.rowCount();
    if (n < 2 || column < 0 || column >= std::max(1, list.columnCount())) return;
    const ColumnKind kind = column < list.columnCount() ? list.columns[column].kind : ColumnKind::Text;

    // Each cell becomes a rank (empty first, then values, then texts that are not values) and a key of its
    // rank: the number, the time, or the folded text for the collator (which alone would put "A" before "a"
    // and break stability downwards).
    struct Key {
        int rank = 0;
        double value = 0;
        QCollatorSortKey text;
    };
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Chinese, QLocale::China)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    QList<Key> keys;
    keys.reserve(n);
    for (int r = 0; r < n; ++r) {
        const QString cell = list.cell(r, column);
        Key key{0, 0, collator.sortKey(cell.toCaseFolded())};
        if (!cell.trimmed().isEmpty()) {
            const std::optional<double> value = SortValue(cell, kind);
            key.rank = value ? 1 : 2;
            key.value = value.value_or(0);
        }
        keys.append(std::move(key));
    }
    const auto less = [&](int a, int b) {
        const Key& x = keys[a];
        const Key& y = keys[b];
        if (x.rank != y.rank) return x.rank < y.rank;
        if (x.rank == 1) return x.value < y.value;
        return x.text.compare(y.text) < 0;
    };
    QList<int> positions(n);
    std::iota(positions.begin(), positions.end(), 0);
    if (order == Qt::AscendingOrder)
        std::stable_sort(positions.begin(), positions.end(), less);
    else
        std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) { return less(b, a); });
    QList<ListRow> sorted;
    sorted.reserve(n);
    for (int i : positions)
        sorted.append(std::move(list.rows[i]));
    list.rows = std::move(sorted);
}

} // namespace vestrel
