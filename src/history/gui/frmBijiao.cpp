#include "history/gui/frmBijiao.h"

#include "base/CommonFunction.h"
#include "base/Twips.h"
#include "base/gui/WindowGeometry.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vestrel {

namespace {

constexpr int kFirstLotsColumn = 4;

QString schemeText(const StoredSet& set, const std::optional<StoredScheme>& s) {
    if (!s) return QStringLiteral("无方案");
    QStringList parts;
    for (size_t j = 0; j < s->parts.size() && int(j) < set.lots.size(); ++j)
        if (s->parts[j] > 0)
            parts << set.lots[int(j)].MingCheng + GeneralNumberText(s->parts[j]) + QStringLiteral("份");
    return QStringLiteral("方案%1：%2元/吨，份数%3，%4")
        .arg(set.id)
        .arg(QString::number(s->price, 'f', 2))
        .arg(s->k)
        .arg(parts.join(u'、'));
}

} // namespace

frmBijiao::frmBijiao(const StoredSet& a, const StoredSet& b, QWidget* parent)
    : QWidget(parent, Qt::Window), m_comparison(CompareSets(a, b)) {
    setObjectName(QStringLiteral("frmBijiao"));
    setWindowTitle(QStringLiteral("方案比较"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* table = new QTableWidget(int(m_comparison.rows.size()), 6, this);
    table->setObjectName(QStringLiteral("lsvBijiao"));
    table->setHorizontalHeaderLabels({QStringLiteral("份数"), QStringLiteral("价格一"), QStringLiteral("价格二"),
                                      QStringLiteral("差价"), QStringLiteral("煤种一"), QStringLiteral("煤种二")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    int row = 0;
    for (const ComparedK& r : m_comparison.rows) {
        const QStringList cells{QString::number(r.k),
                                QString::number(r.priceA, 'f', 2),
                                QString::number(r.priceB, 'f', 2),
                                QString::number(r.difference, 'f', 2),
                                r.lotsA.join(u'、'),
                                r.lotsB.join(u'、')};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= kFirstLotsColumn) item->setToolTip(cells[c]); // a long list is cut at the column's edge
            table->setItem(row, c, item);
        }
        ++row;
    }
    // The numbers as wide as they need, the two lists of lots sharing the rest; one line a row.
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(false);
    for (int c = 0; c < kFirstLotsColumn; ++c)
        table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    for (int c = kFirstLotsColumn; c < table->columnCount(); ++c)
        table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);

    auto* cheapest =
        new QLabel(schemeText(a, m_comparison.cheapestA) + u'\n' + schemeText(b, m_comparison.cheapestB), this);
    cheapest->setObjectName(QStringLiteral("lblZuidi"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(cheapest);
    OpenAtSize(this, ListScale().toPixels(QSize(12000, 6000)));
}

} // namespace vestrel
