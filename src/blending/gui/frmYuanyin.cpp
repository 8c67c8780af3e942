#include "blending/gui/frmYuanyin.h"

#include "blending/BlendingTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vestrel {

namespace {

QLabel* label(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

frmYuanyin::frmYuanyin(const QList<Mei>& lots, const PanelTexts& texts, std::function<void(int, const QString&)> apply,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_explanation(ExplainNoScheme(lots, texts)) {
    setObjectName(QStringLiteral("frmYuanyin"));
    setWindowTitle(QStringLiteral("没有配比方案的原因"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);

    const Explanation& e = m_explanation;
    QString conflict;
    if (e.blendExists)
        conflict = QStringLiteral("按100份配比时这些条件可以同时满足。");
    else
        conflict = ConflictSentence(e, lots, texts) + QStringLiteral("。去掉其中任何一个条件就能配出方案。");
    layout->addWidget(label(QStringLiteral("lbChongtu"), conflict, this));

    auto* limits = new QGroupBox(QStringLiteral("各项指标最严可取的值(按100份，其他条件不变)"), this);
    limits->setObjectName(QStringLiteral("fraZhibiao"));
    auto* grid = new QGridLayout(limits);
    int row = 0;
    for (const LimitAdvice& a : e.limits) {
        const Condition c{Condition::Kind::Limit, a.index};
        grid->addWidget(label(QStringLiteral("lbZhibiao_%1").arg(a.index), ConditionText(c, lots, texts), limits), row,
                        0);
        const QString value = a.tightest.value_or(QStringLiteral("—"));
        const QString hint = !a.tightest ? QStringLiteral("只改这一项无济于事")
                             : a.lower   ? QStringLiteral("最高可取 ") + value
                                         : QStringLiteral("最低可取 ") + value;
        grid->addWidget(label(QStringLiteral("lbZuiyan_%1").arg(a.index), hint, limits), row, 1);
        auto* button = new QPushButton(QStringLiteral("采用"), limits);
        button->setObjectName(QStringLiteral("cmdCaiyong_%1").arg(a.index));
        button->setEnabled(a.tightest.has_value());
        if (a.tightest)
            connect(button, &QPushButton::clicked, this, [apply, a] {
                if (apply) apply(a.index, *a.tightest);
            });
        grid->addWidget(button, row, 2);
        ++row;
    }
    layout->addWidget(limits);

    if (e.tonnesGiven) {
        auto* line = new QHBoxLayout;
        const QString text = e.maxTonnes ? QStringLiteral("库存最多可配 %1 吨").arg(*e.maxTonnes)
                                         : QStringLiteral("任何吨数都配不出方案");
        line->addWidget(label(QStringLiteral("lbZhongliang"), text, this), 1);
        auto* button = new QPushButton(QStringLiteral("采用"), this);
        button->setObjectName(QStringLiteral("cmdCaiyongZhongliang"));
        button->setEnabled(e.maxTonnes.has_value());
        if (e.maxTonnes)
            connect(button, &QPushButton::clicked, this, [apply, value = *e.maxTonnes] {
                if (apply) apply(-1, value);
            });
        line->addWidget(button);
        layout->addLayout(line);
    }

    QStringList mustUse;
    for (const MustUseAdvice& m : e.mustUse) {
        const QString name = ConditionText({Condition::Kind::MustUse, m.row}, lots, texts);
        mustUse << (m.droppingHelps ? QStringLiteral("去掉“%1”就能配出方案").arg(name)
                                    : QStringLiteral("只去掉“%1”仍配不出方案").arg(name));
    }
    if (!mustUse.isEmpty()) layout->addWidget(label(QStringLiteral("lbBixuan"), mustUse.join(u'\n'), this));

    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
}

} // namespace vestrel
