#pragma once

#include <QDialog>

namespace vestrel {

// The About window: product picture and version; modal while it is shown.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

} // namespace vestrel
