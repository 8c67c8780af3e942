#pragma once

#include <QWidget>

class QLabel;

namespace vestrel {

// The small note shown while a slow window loads.
class frmLoading : public QWidget {
    Q_OBJECT
public:
    explicit frmLoading(QWidget* over = nullptr);

private:
    QLabel* m_label = nullptr;
};

} // namespace vestrel
