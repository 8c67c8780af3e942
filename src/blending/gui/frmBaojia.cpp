#include "blending/gui/frmBaojia.h"

#include "base/CommonFunction.h"
#include "base/Seams.h"
#include "blending/gui/Baojia.h"
#include "catalogue/EntryForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vestrel {

namespace {

constexpr int kIndexRows = 6; // two columns of indices

QLineEdit* box(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

frmBaojia::frmBaojia(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmBaojia"));
    setWindowTitle(QStringLiteral("评估报价"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_name = box("txtName", this);
    grid->addWidget(new QLabel(QStringLiteral("名称"), this), 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 3);
    for (int x = 0; x < kIndexCount; ++x) {
        const IndexInfo& info = IndexTable()[size_t(x)];
        m_indices[size_t(x)] = box(info.entryBox, this);
        const int row = 1 + x % kIndexRows, column = 2 * (x / kIndexRows);
        grid->addWidget(new QLabel(QString::fromUtf16(info.header), this), row, column);
        grid->addWidget(m_indices[size_t(x)], row, column + 1);
    }
    m_price = box("txtJiage", this);
    grid->addWidget(new QLabel(QStringLiteral("价格"), this), kIndexRows + 1, 0);
    grid->addWidget(m_price, kIndexRows + 1, 1);
    layout->addLayout(grid);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lbJieguo"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the longest answer (name, asked price, break-even, share and saving) before it is computed.
    const QFontMetrics metrics = m_result->fontMetrics();
    m_result->setMinimumSize(metrics.horizontalAdvance(u'价') * 26, metrics.lineSpacing() * 3);
    m_result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_result);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* compute = new QPushButton(QStringLiteral("计算"), this);
    compute->setObjectName(QStringLiteral("cmdJisuan"));
    compute->setDefault(true);
    connect(compute, &QPushButton::clicked, this, &frmBaojia::cmdJisuan_Click);
    buttons->addWidget(compute);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_name, &QLineEdit::returnPressed, this, &frmBaojia::cmdJisuan_Click);
    connect(m_price, &QLineEdit::returnPressed, this, &frmBaojia::cmdJisuan_Click);
}

void frmBaojia::cmdJisuan_Click() {
    EntryTexts texts;
    texts.insert(m_name->objectName(), m_name->text());
    for (QLineEdit* edit : m_indices)
        texts.insert(edit->objectName(), edit->text().trimmed());
    texts.insert(m_price->objectName(), m_price->text().trimmed());
    const QString problems = ValidateEntry(texts);
    if (!problems.isEmpty()) {
        m_result->clear();
        showMessage(problems.trimmed(), windowTitle(), MsgIcon::Exclamation);
        return;
    }
    const std::optional<PanelTexts> panel = PanelForOffer(m_name->text());
    if (!panel) {
        m_result->clear();
        return;
    }
    Mei offer = BuildMei(texts, 0, {});
    // An offer names no quantity: it can supply the whole tonnage asked for.
    offer.Kucun = ParseNumber(panel->tonnes).value_or(0.0);
    m_result->setText(OfferText(offer, *panel));
}

} // namespace vestrel
