#pragma once

#include <QWidget>

namespace vestrel {

// The blending panel of the main window: toolbar, ten-row grid, targets, tonnage and the run button.
class BlendingPanel : public QWidget {
    Q_OBJECT
public:
    explicit BlendingPanel(QWidget* parent = nullptr);
};

} // namespace vestrel
