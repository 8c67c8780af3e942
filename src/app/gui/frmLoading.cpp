#include "app/gui/frmLoading.h"

#include "base/Twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>

namespace vestrel {

frmLoading::frmLoading(QWidget* over)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmLoading"));
    setWindowTitle(QStringLiteral("正在载入数据，请稍候......"));
    // A helper note must never be what keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    const TwipScale scale = PictureScale();
    setFixedSize(scale.toPixels(QSize(4500, 960)));

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(rect());
    m_label = new QLabel(QStringLiteral("正在载入数据，请稍候......"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    const int inset = scale.toPixelsY(120);
    m_label->setGeometry(rect().adjusted(inset, inset, -inset, -inset));

    const QRect area = over && over->isVisible()          ? over->frameGeometry()
                       : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1024, 768);
    move(area.center() - rect().center());
}

} // namespace vestrel
