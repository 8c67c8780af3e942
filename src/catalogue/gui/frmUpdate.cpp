#include "catalogue/gui/frmUpdate.h"

#include "base/Seams.h"
#include "base/gui/WindowHub.h"
#include "catalogue/DaoFunction.h"
#include "data/DbResult.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vestrel {

namespace {

QLabel* label(const QString& text, QWidget* parent, bool required = false) {
    auto* l = new QLabel(text, parent);
    if (required) l->setStyleSheet(QStringLiteral("color: red;"));
    return l;
}

} // namespace

frmUpdate::frmUpdate(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("录入煤种"));

    auto* frame = new QGroupBox(QStringLiteral("焦炭详细信息"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    auto makeBox = [&](const char* name) {
        auto* e = new QLineEdit(frame);
        e->setObjectName(QLatin1String(name));
        m_boxes << e;
        return e;
    };

    grid->addWidget(label(QStringLiteral("焦炭名称*"), frame, true), 0, 0);
    grid->addWidget(makeBox("txtName"), 0, 1, 1, 4);

    // Two columns of label + box; the stock box carries its unit.
    struct Row {
        const char16_t* leftLabel;
        const char* leftBox;
        const char16_t* rightLabel;
        const char* rightBox;
    };
    const Row rows[] = {
        {u"全  水", "txtShuifen", u"硫  分", "txtLiu"},
        {u"灰  份", "txtHuifen", u"挥发份", "txtHuifafen"},
        {u"固定碳", "txtGudingtan", u"硅", "txtNeishui"},
        {u"钒", "txtG", u"铁", "txtReliang"},
        {u"镍", "txtY", u"铝", "txtKeMoxing"},
        {u"钙", "txtHuiRongDian", u"钠", "txtHuishoulv"},
        {u"库 存", "txtKuCun", u"价格*", "txtJiage"},
    };
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(label(QString::fromUtf16(row.leftLabel), frame), r, 0);
        grid->addWidget(makeBox(row.leftBox), r, 1);
        const QString right = QString::fromUtf16(row.rightLabel);
        grid->addWidget(label(right, frame, right.endsWith(u'*')), r, 3);
        grid->addWidget(makeBox(row.rightBox), r, 4);
        ++r;
    }
    grid->addWidget(label(QStringLiteral("吨"), frame), r - 1, 2);
    grid->addWidget(label(QStringLiteral("红色字为必填项"), frame, true), r, 0, 1, 2);
    grid->addWidget(label(QStringLiteral("请不要把 % 填写进去"), frame), r, 3, 1, 2);

    m_submit = new QPushButton(QStringLiteral("确 认"), this);
    m_submit->setObjectName(QStringLiteral("btnSubmit"));
    connect(m_submit, &QPushButton::clicked, this, &frmUpdate::btnSubmit_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_submit, 0, Qt::AlignHCenter);
}

QLineEdit* frmUpdate::box(const QString& name) const {
    for (QLineEdit* e : m_boxes)
        if (e->objectName() == name) return e;
    return nullptr;
}

bool frmUpdate::Form_Load() {
    for (QLineEdit* e : m_boxes)
        e->clear();
    if (MeiId == 0) return true;
    const DbResult<Mei> lot = LoadMei(MeiId);
    if (!lot) {
        showDbError(lot.error());
        return false;
    }
    // A lot deleted meanwhile loads empty; saving then reports that nothing was saved.
    const EntryTexts t = EntryTextsOf(*lot);
    for (auto it = t.begin(); it != t.end(); ++it)
        if (QLineEdit* e = box(it.key())) e->setText(it.value());
    return true;
}

EntryTexts frmUpdate::texts() const {
    EntryTexts t;
    for (const QLineEdit* e : m_boxes)
        t.insert(e->objectName(), e->text());
    return t;
}

QString frmUpdate::ValidateEntry() const {
    return vestrel::ValidateEntry(texts());
}

Mei frmUpdate::BuildMei() const {
    return vestrel::BuildMei(texts(), MeiId, now());
}

void frmUpdate::btnSubmit_Click() {
    const QString messages = ValidateEntry();
    if (!messages.isEmpty()) {
        showMessage(messages);
        return;
    }
    const DbResult<SaveResult> saved = SaveMei(BuildMei());
    if (!saved) {
        showDbError(saved.error());
        return;
    }
    switch (*saved) {
    case SaveResult::Vanished:
        // Keep the input so the user can copy it into a new lot.
        showMessage(QStringLiteral("这种煤已经被删除，没有保存。"), {}, MsgIcon::Exclamation);
        return;
    case SaveResult::Saved:
        break;
    }
    showMessage(MeiId != 0 ? QStringLiteral("修改成功！") : QStringLiteral("添加煤种成功！"));
    MeiId = 0;
    // A window loaded by this request fills its list while loading; an open one refreshes under its search.
    const bool wasLoaded = hub::isCatalogueWindowLoaded();
    hub::showCatalogueWindow();
    if (wasLoaded) hub::refreshCatalogueList();
    close();
}

void frmUpdate::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        MeiId = 0;
        m_closing = true;
    }
}

} // namespace vestrel
