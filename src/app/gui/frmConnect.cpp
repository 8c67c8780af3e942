#include "app/gui/frmConnect.h"

#include "app/gui/ShellImages.h"
#include "base/Twips.h"
#include "base/gui/WindowHub.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace vestrel {

namespace {

// Design geometry in twips; the three frames of the animation wait outside the window.
constexpr QSize kWindow(5700, 1650);
constexpr QRect kImage(360, 465, 720, 720);
constexpr int kFramesAside = 6000;
constexpr QRect kLabel(1380, 600, 4050, 450);

} // namespace

frmConnect::frmConnect(QWidget* parent) : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint) {
    initShellImages();
    setObjectName(QStringLiteral("frmConnect"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text = QStringLiteral("正在载入配焦面板，请稍后");
    setWindowTitle(m_text);
    setWindowIcon(QIcon(QStringLiteral(":/images/vestrel.png")));
    const TwipScale scale = PictureScale();
    setFixedSize(scale.toPixels(kWindow));

    for (int i = 0; i < 4; ++i) {
        imgLoad[i] = new QLabel(this);
        imgLoad[i]->setObjectName(QStringLiteral("imgLoad_%1").arg(i));
        imgLoad[i]->setPixmap(QPixmap(QStringLiteral(":/images/loading-%1.png").arg(i)));
        imgLoad[i]->setScaledContents(true);
        imgLoad[i]->setGeometry(scale.toPixels(kImage.translated(i == 0 ? 0 : kFramesAside, 0)));
        imgLoad[i]->setVisible(i == 0);
    }

    Label1 = new QLabel(m_text, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(scale.toPixels(kLabel));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &frmConnect::Timer1_Timer);
    Timer1->start();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmConnect::Timer1_Timer() {
    ++m_frame;
    if (m_frame == 4) m_frame = 1;
    imgLoad[0]->setPixmap(imgLoad[m_frame]->pixmap());
    if (m_dots < 8) {
        m_text += QLatin1Char('.');
        ++m_dots;
        Label1->setText(m_text);
        return;
    }
    Timer1->stop();
    // The main window is shown before the splash closes, so the program never runs without a window.
    hub::bringForward(hub::mainWindow());
    close();
}

} // namespace vestrel
