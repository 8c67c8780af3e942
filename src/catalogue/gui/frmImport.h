#pragma once

#include "catalogue/LotImport.h"

#include <QDialog>

class QComboBox;
class QRadioButton;
class QTableWidget;

namespace vestrel {

// The import preview: the first rows of the file under their headers, a field chooser per column holding the
// automatic match, and the choice for lots that exist already. "导入" imports and reports the counts.
class frmImport : public QDialog {
    Q_OBJECT
public:
    // Rows of the file shown in the preview.
    static constexpr int kPreviewRows = 20;

    explicit frmImport(const LotFile& file, QWidget* parent = nullptr);

    // The field chosen for each column ("" not imported).
    QStringList boxes() const;
    ExistingLots existingLots() const;

public slots:
    void cmdImport_Click();

signals:
    // Lots were written; the catalogue list is to be refreshed.
    void imported();

private:
    void fieldChosen(int column);

    LotFile m_file;
    QTableWidget* m_preview = nullptr;
    QList<QComboBox*> m_fields;
    QRadioButton* m_update = nullptr;
    QRadioButton* m_skip = nullptr;
};

} // namespace vestrel
