#pragma once

#include "catalogue/EntryForm.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace vestrel {

// The entry form: adds a lot (MeiId 0) or changes lot MeiId.
class frmUpdate : public QWidget {
    Q_OBJECT
public:
    explicit frmUpdate(QWidget* parent = nullptr);

    qint32 MeiId = 0;

    // Fills the boxes for MeiId (empty boxes for 0). False when the database failed; the error is shown.
    bool Form_Load();
    QString ValidateEntry() const;
    Mei BuildMei() const;
    EntryTexts texts() const;
    bool closing() const { return m_closing; }

public slots:
    void btnSubmit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* box(const QString& name) const;
    QList<QLineEdit*> m_boxes;
    QPushButton* m_submit = nullptr;
    bool m_closing = false;
};

} // namespace vestrel
