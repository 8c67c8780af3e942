#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;
class QTimer;

namespace vestrel {

// The splash window: animates for about four seconds, then opens the main window and closes itself.
class frmConnect : public QWidget {
    Q_OBJECT
public:
    explicit frmConnect(QWidget* parent = nullptr);

public slots:
    void Timer1_Timer();

private:
    QLabel* Label1 = nullptr;
    std::array<QLabel*, 4> imgLoad{}; // 0 is shown, 1 to 3 hold the frames
    QTimer* Timer1 = nullptr;
    QString m_text;
    qint16 m_dots = 1;
    qint16 m_frame = 0;
};

} // namespace vestrel
