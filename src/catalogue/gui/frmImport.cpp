#include "catalogue/gui/frmImport.h"

#include "base/Seams.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vestrel {

frmImport::frmImport(const LotFile& file, QWidget* parent) : QDialog(parent), m_file(file) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("导入焦炭"));
    auto* layout = new QVBoxLayout(this);

    auto* info =
        new QLabel(QStringLiteral("文件“%1”中共有 %2 行数据。请核对每一列对应的项目，不导入的列选“（不导入）”。")
                       .arg(QFileInfo(file.path).fileName())
                       .arg(file.rows.size()),
                   this);
    info->setObjectName(QStringLiteral("labInfo"));
    info->setWordWrap(true);
    layout->addWidget(info);

    // Row 0 holds the field choosers, the rows below the first rows of the file.
    const int columns = int(file.headers.size());
    const int shown = int(std::min<qsizetype>(file.rows.size(), kPreviewRows));
    m_preview = new QTableWidget(shown + 1, columns, this);
    m_preview->setObjectName(QStringLiteral("grdPreview"));
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setHorizontalHeaderLabels(file.headers);
    QStringList rowLabels{QStringLiteral("导入为")};
    for (int r = 0; r < shown; ++r)
        rowLabels << QString::number(file.rowNumbers.value(r));
    m_preview->setVerticalHeaderLabels(rowLabels);
    for (int c = 0; c < columns; ++c) {
        auto* combo = new QComboBox(m_preview);
        combo->setObjectName(QStringLiteral("cboField_%1").arg(c));
        combo->addItem(QStringLiteral("（不导入）"), QString());
        for (const ImportField& f : ImportFields())
            combo->addItem(f.caption, f.box);
        combo->setCurrentIndex(std::max(0, combo->findData(file.boxes.value(c))));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, c] { fieldChosen(c); });
        m_preview->setCellWidget(0, c, combo);
        m_fields.append(combo);
        for (int r = 0; r < shown; ++r)
            m_preview->setItem(r + 1, c, new QTableWidgetItem(file.rows[r].value(c)));
    }
    m_preview->resizeColumnsToContents();
    layout->addWidget(m_preview, 1);

    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel(QStringLiteral("库存中已有同名的焦炭时："), this));
    m_skip = new QRadioButton(QStringLiteral("跳过，保留原有数据"), this);
    m_skip->setObjectName(QStringLiteral("optSkip"));
    m_update = new QRadioButton(QStringLiteral("用文件中的数据更新"), this);
    m_update->setObjectName(QStringLiteral("optUpdate"));
    m_skip->setChecked(true); // nothing stored is changed unless asked for
    choice->addWidget(m_skip);
    choice->addWidget(m_update);
    choice->addStretch(1);
    layout->addLayout(choice);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdImport"));
    auto* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 480);
}

QStringList frmImport::boxes() const {
    QStringList out;
    for (const QComboBox* combo : m_fields)
        out << combo->currentData().toString();
    return out;
}

ExistingLots frmImport::existingLots() const {
    return m_update->isChecked() ? ExistingLots::Update : ExistingLots::Skip;
}

void frmImport::fieldChosen(int column) {
    // A field feeds from one column: the one chosen last.
    const QString box = m_fields[column]->currentData().toString();
    if (box.isEmpty()) return;
    for (int c = 0; c < m_fields.size(); ++c)
        if (c != column && m_fields[c]->currentData().toString() == box) m_fields[c]->setCurrentIndex(0);
}

void frmImport::cmdImport_Click() {
    const QStringList chosen = boxes();
    if (!chosen.contains(QStringLiteral("txtName"))) {
        showMessage(QStringLiteral("请指定哪一列是焦炭的名称。"), {}, MsgIcon::Exclamation);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportResult result = ImportLots(m_file, chosen, existingLots());
    QApplication::restoreOverrideCursor();
    showMessage(ImportReport(result), {}, result.written ? MsgIcon::Information : MsgIcon::Critical);
    if (!result.written) return; // nothing written: the choices stay for another try
    emit imported();
    accept();
}

} // namespace vestrel
