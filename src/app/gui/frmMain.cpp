#include "app/gui/frmMain.h"

#include "app/gui/ShellImages.h"
#include "app/gui/frmAbout.h"
#include "base/Seams.h"
#include "base/Twips.h"
#include "base/gui/ProportionalLayout.h"
#include "base/gui/WindowGeometry.h"
#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingGrid.h"
#include "blending/gui/BlendingPanel.h"
#include "data/Backup.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolBar>
#include <algorithm>

namespace vestrel {

namespace {

constexpr int kBannerWidth = 7500; // twips
constexpr int kBannerHeight = 680;
constexpr int kBannerRightGap = 100;

} // namespace

QString frmMain::homePage() {
    return QStringLiteral("https://vestrel.example/");
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    initShellImages();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vestrel(石油焦配比)1.0"));
    setWindowIcon(QIcon(QStringLiteral(":/images/vestrel.png")));
    setContextMenuPolicy(Qt::NoContextMenu); // no menu for hiding the toolbar

    buildMenus();
    buildToolbar();
    m_panel = new BlendingPanel(this);
    setCentralWidget(m_panel);

    // The panel's controls are placed absolutely, so the window is designed to hold them, and wide enough for
    // the banner to leave the toolbar buttons free. It opens at that size, or as large as the screen allows,
    // which scales the controls down with their fonts.
    const QRect content = m_panel->childrenRect();
    const QSize hint = m_panel->sizeHint();
    const int bannerRoom = PictureScale().toPixelsX(kBannerWidth + kBannerRightGap) + 8;
    const int width = std::max({hint.width(), content.right() + 1, m_toolbar->sizeHint().width() + bannerRoom});
    const int height = std::max(hint.height(), content.bottom() + 1);
    m_designClient = QSize(width, menuBar()->sizeHint().height() + m_toolbar->sizeHint().height() + height);
    OpenAtSize(this, m_designClient);
}

void frmMain::buildMenus() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption, void (frmMain::*slot)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    QMenu* munDacz = menuBar()->addMenu(QStringLiteral("仓库存煤(&N)"));
    munDacz->setObjectName(QStringLiteral("munDacz"));
    item(munDacz, "munCangKu", QStringLiteral("库存情况"), &frmMain::munCangKu_Click);
    item(munDacz, "munADD", QStringLiteral("增加煤种"), &frmMain::munADD_Click);

    QMenu* munSjgl = menuBar()->addMenu(QStringLiteral("数据管理(&S)"));
    munSjgl->setObjectName(QStringLiteral("munSjgl"));
    item(munSjgl, "munSJBF", QStringLiteral("数据备份"), &frmMain::munSJBF_Click);
    item(munSjgl, "munSJHY", QStringLiteral("数据还原"), &frmMain::munSJHY_Click);

    QMenu* munBZ = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    munBZ->setObjectName(QStringLiteral("munBZ"));
    item(munBZ, "munXTBZ", QStringLiteral("系统帮助"), &frmMain::munXTBZ_Click);
    item(munBZ, "munGY", QStringLiteral("关于"), &frmMain::munGY_Click);

    // Exit is a command of the menu bar itself, without items.
    QAction* munTc = menuBar()->addAction(QStringLiteral("退出(&X)"));
    munTc->setObjectName(QStringLiteral("munTc"));
    connect(munTc, &QAction::triggered, this, &frmMain::munTc_Click);
}

void frmMain::buildToolbar() {
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    // Created before the buttons so that they stay on top of it in a narrow window.
    m_banner = new QLabel(m_toolbar);
    m_banner->setObjectName(QStringLiteral("picBanner"));
    m_banner->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    m_banner->setScaledContents(true);
    m_banner->setCursor(Qt::PointingHandCursor);
    m_banner->setToolTip(homePage());
    m_banner->installEventFilter(this);

    struct Button {
        const char16_t* caption;
        const char* icon;
    };
    const std::array<Button, 7> buttons{{{u"", nullptr},
                                         {u"主界面", "toolbar-home"},
                                         {u"库存", "toolbar-stock"},
                                         {u"历史配比", "toolbar-history"},
                                         {u"", nullptr},
                                         {u"手动配比", "toolbar-calculator"},
                                         {u"退出", "toolbar-exit"}}};
    for (int i = 0; i < int(buttons.size()); ++i) {
        const QIcon icon =
            buttons[i].icon ? QIcon(QStringLiteral(":/images/%1.png").arg(QLatin1String(buttons[i].icon))) : QIcon();
        QAction* action = m_toolbar->addAction(icon, QString::fromUtf16(buttons[i].caption));
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, i] { Toolbar1_ButtonClick(i + 1); });
    }
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_loaded) Form_Load();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_loaded)
        Form_Resize();
    else
        placeBanner();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_banner && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_banner->rect().contains(mouse->position().toPoint())) {
            picBanner_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QList<QWidget*> frmMain::scaledControls() const {
    return ProportionalLayout::controlsBelow(m_panel) << m_banner;
}

void frmMain::Form_Load() {
    if (layout()) layout()->activate();
    placeBanner();
    // The controls still stand where they were designed; a window opened smaller than its design (on a small
    // screen) scales them down at once.
    const QSize frame = frameGeometry().size() - geometry().size();
    const TwipScale s = GridScale();
    m_origWidth = qRound(s.toTwipsX(m_designClient.width() + frame.width()));
    m_origHeight = qRound(s.toTwipsY(m_designClient.height() + frame.height()));
    m_layout.record(scaledControls(), m_designClient, m_panel->grid()->cell(0, CellName));
    m_loaded = true;
    if (size() != m_designClient) Form_Resize();
}

void frmMain::Form_Resize() {
    if (isMinimized() || !m_layout.recorded()) return;
    setUpdatesEnabled(false);
    m_layout.apply(this);
    placeBanner();
    m_panel->grid()->keepChkAllWidth();
    setUpdatesEnabled(true);
}

void frmMain::placeBanner() {
    const TwipScale s = PictureScale();
    const int outerWidth = frameGeometry().width();
    const int left = outerWidth - s.toPixelsX(kBannerWidth + kBannerRightGap);
    const int height = s.toPixelsY(kBannerHeight);
    const int top = std::max(0, (m_toolbar->height() - height) / 2);
    const QPoint origin = m_toolbar->mapTo(this, QPoint(0, 0));
    m_banner->setGeometry(left - origin.x(), top, s.toPixelsX(kBannerWidth), height);
}

void frmMain::munCangKu_Click() {
    hub::showCatalogueWindow();
}

void frmMain::munADD_Click() {
    hub::showEntryForm(0);
}

void frmMain::munSJBF_Click() {
    BackupCommand();
}

void frmMain::munSJHY_Click() {
    if (RestoreCommand()) hub::reloadOpenWindows();
}

void frmMain::munXTBZ_Click() {
    interaction().openWithSystem(programPath(QStringLiteral("help/index.html")));
}

void frmMain::munGY_Click() {
    if (!m_about) m_about = new frmAbout(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMain::picBanner_Click() {
    interaction().openWithSystem(homePage());
}

void frmMain::munTc_Click() {
    if (showMessage(QStringLiteral("确认要退出系统吗?"), QStringLiteral("提示"), MsgIcon::Information,
                    MsgButtons::YesNo) != MsgResult::Yes)
        return;
    hub::closeAllWindows();
    // exit() rather than quit(): a window that refuses to close must not keep the program running.
    QCoreApplication::exit(0);
}

void frmMain::Toolbar1_ButtonClick(int index) {
    switch (index) {
    case 3:
        hub::showCatalogueWindow();
        break;
    case 4:
        hub::showHistoryWindow();
        break;
    case 6:
        hub::showCalculator();
        break;
    case 7:
        munTc_Click();
        break;
    default: // 1 and 5 have no action; 2 is this window, already shown
        break;
    }
}

} // namespace vestrel
