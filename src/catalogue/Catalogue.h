#pragma once
// The catalogue window's decisions without widgets: what the list shows, what is checked, and where its parts
// go when the window is resized.

#include "lists/ListData.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariantList>

namespace vestrel {

// A query over meitan that returns every lot column, with the values for its placeholders.
struct LotQuery {
    QString sql;
    QVariantList binds;
};
// Every lot, in catalogue order.
LotQuery AllLotsQuery();
// The lots whose name contains the text as typed (blanks kept; quotes, % and _ match themselves).
LotQuery NameSearchQuery(const QString& text);

// The lot ids of the checked rows, in list order (the row text is the id).
QList<qint32> CheckedLotIds(const ListData& list);
// True as soon as one row is checked.
bool HasCheckedItems(const ListData& list);

// A search text that holds nothing but blanks is refused.
bool IsBlankSearch(const QString& text);
// The LIKE pattern (escape character '\') matching names that contain the text literally: % and _ in the
// text match themselves.
QString NameContainsPattern(const QString& text);

// The count caption beside "共计：".
QString LotCountCaption(qint64 count);

// The parts of the catalogue window in twips, inside the window frame.
struct CatalogueLayout {
    QRect toolbar; // Toolbar1
    QRect search;  // Picture1
    QRect left;    // PicLEFT
    QRect list;    // ListView1
};
// The window's inside size at design, 11160 x 7776 twips.
QSize CatalogueDesignInside();
// The layout at the design size of the inside.
CatalogueLayout CatalogueDesignLayout();
// The layout for a new inside size: beyond the design size in either direction the list and the left panel
// stretch to the right and bottom edges; within it they keep the design size. The search bar stays at the
// right edge.
CatalogueLayout ResizeCatalogue(const CatalogueLayout& current, QSize insideTwips);

} // namespace vestrel
