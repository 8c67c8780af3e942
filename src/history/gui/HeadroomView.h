#pragma once

#include "history/Headroom.h"

#include <QWidget>

namespace vestrel {

// One stored scheme against its set's limits: a bar per limited index (green inside, amber within 2 % of the
// limit, "紧" where the limit binds) and the lots' shares.
class HeadroomView : public QWidget {
    Q_OBJECT
public:
    explicit HeadroomView(QWidget* parent = nullptr);
    void setHeadroom(const Headroom& headroom);
    const Headroom& headroom() const { return m_headroom; }
    // The text beside each bar, as drawn ("硫分<=2.5  2.35  紧").
    QStringList barTexts() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Headroom m_headroom;
};

} // namespace vestrel
