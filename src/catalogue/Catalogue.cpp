#include "catalogue/Catalogue.h"

#include <QtMath>
#include <algorithm>

namespace vestrel {

namespace {

constexpr int kDesignWidth = 11160;
constexpr int kDesignHeight = 7776;
constexpr int kToolbarHeight = 600;
constexpr int kLeftWidth = 2400;
constexpr int kSearchWidth = 4500;
constexpr int kSearchHeight = 360;
// Keeps the search bar off the right edge; the window's frame takes 120 twips of the original 240.
constexpr int kSearchMargin = 120;

} // namespace

LotQuery AllLotsQuery() {
    return {QStringLiteral("SELECT * FROM meitan ORDER BY id"), {}};
}

LotQuery NameSearchQuery(const QString& text) {
    return {QStringLiteral("SELECT * FROM meitan WHERE Name LIKE ? ESCAPE '\\' ORDER BY id"),
            {NameContainsPattern(text)}};
}

QList<qint32> CheckedLotIds(const ListData& list) {
    QList<qint32> ids;
    for (const ListRow& row : list.rows) {
        if (!row.checked) continue;
        bool ok = false;
        const qint32 id = row.text.toInt(&ok);
        if (ok) ids << id;
    }
    return ids;
}

bool HasCheckedItems(const ListData& list) {
    return std::any_of(list.rows.cbegin(), list.rows.cend(), [](const ListRow& r) { return r.checked; });
}

bool IsBlankSearch(const QString& text) {
    return text.trimmed().isEmpty();
}

QString NameContainsPattern(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_') escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

QString LotCountCaption(qint64 count) {
    return QString::number(count) + QStringLiteral(" 种");
}

QSize CatalogueDesignInside() {
    return {kDesignWidth, kDesignHeight};
}

CatalogueLayout CatalogueDesignLayout() {
    CatalogueLayout l;
    l.toolbar = QRect(0, 0, kDesignWidth, kToolbarHeight);
    l.search = QRect(kDesignWidth - kSearchWidth - kSearchMargin, (kToolbarHeight - kSearchHeight) / 2, kSearchWidth,
                     kSearchHeight);
    l.left = QRect(0, kToolbarHeight, kLeftWidth, kDesignHeight - kToolbarHeight);
    l.list = QRect(kLeftWidth, kToolbarHeight, kDesignWidth - kLeftWidth, kDesignHeight - kToolbarHeight);
    return l;
}

CatalogueLayout ResizeCatalogue(const CatalogueLayout& current, QSize inside) {
    CatalogueLayout l = current;
    const CatalogueLayout design = CatalogueDesignLayout();
    if (inside.width() > kDesignWidth || inside.height() > kDesignHeight) {
        l.list.setHeight(std::max(0, inside.height() - l.list.top()));
        l.list.setWidth(std::max(0, inside.width() - l.list.left()));
        l.left.setHeight(std::max(0, inside.height() - l.left.top()));
    } else {
        // Smaller than designed: the parts keep their designed size rather than one left from a larger window,
        // which would hide the list's scroll bars beyond the edges.
        l.list.setSize(design.list.size());
        l.left.setSize(design.left.size());
    }
    l.toolbar.setWidth(std::max(inside.width(), 0));
    l.search.moveLeft(inside.width() - l.search.width() - kSearchMargin);
    return l;
}

} // namespace vestrel
