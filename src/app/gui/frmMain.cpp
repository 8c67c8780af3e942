#include "app/gui/frmMain.h"

#include "app/gui/frmAbout.h"
#include "base/Seams.h"
#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingPanel.h"
#include "data/Backup.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>
#include <array>

static void initShellImages() {
    Q_INIT_RESOURCE(images);
}

namespace vestrel {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr int kBannerWidth = 7500; // twips
constexpr int kBannerHeight = 680;
constexpr int kBannerRightGap = 100;
constexpr int kChkAllWidth = 6000;

int toPixels(double twips) {
    return qRound(twips / kTwipsPerPixel);
}

// Widgets that arrange their own children; those children are not controls of the window.
bool placesOwnChildren(const QWidget* w) {
    return w->layout() || qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QTabWidget*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QSplitter*>(w) || qobject_cast<const QToolBar*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w);
}

void collectControls(QWidget* container, QList<QWidget*>& out) {
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        out << w;
        if (!placesOwnChildren(w)) collectControls(w, out);
    }
}

// "left top width height fontsize ", each number followed by a space; a missing number counts as 0.
QString tagText(const QRect& g, double fontSize) {
    QString tag;
    for (double n : {g.x() * kTwipsPerPixel, g.y() * kTwipsPerPixel, g.width() * kTwipsPerPixel,
                     g.height() * kTwipsPerPixel, fontSize})
        tag += QString::number(n, 'g', 15) + QLatin1Char(' ');
    return tag;
}

std::array<double, 5> tagNumbers(const QString& tag) {
    std::array<double, 5> n{};
    const QStringList parts = tag.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < 5 && i < parts.size(); ++i)
        n[i] = parts[i].toDouble();
    return n;
}

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

    // The panel's controls are placed absolutely, so the window is sized to hold them, and wide enough for the
    // banner to leave the toolbar buttons free.
    const QRect content = m_panel->childrenRect();
    const QSize hint = m_panel->sizeHint();
    const int bannerRoom = toPixels(kBannerWidth + kBannerRightGap) + 8;
    const int width = std::max({hint.width(), content.right() + 1, m_toolbar->sizeHint().width() + bannerRoom});
    const int height = std::max(hint.height(), content.bottom() + 1);
    resize(width, menuBar()->sizeHint().height() + m_toolbar->sizeHint().height() + height);
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
    QList<QWidget*> controls;
    if (!placesOwnChildren(m_panel)) collectControls(m_panel, controls);
    controls << m_banner;
    return controls;
}

void frmMain::Form_Load() {
    if (layout()) layout()->activate();
    placeBanner();
    const QSize frame = frameGeometry().size() - geometry().size();
    m_origClient = size();
    m_origWidth = qRound((m_origClient.width() + frame.width()) * kTwipsPerPixel);
    m_origHeight = qRound((m_origClient.height() + frame.height()) * kTwipsPerPixel);
    for (QWidget* w : scaledControls())
        w->setProperty("tag", tagText(w->geometry(), w->font().pointSizeF()));
    m_loaded = true;
}

void frmMain::Form_Resize() {
    if (isMinimized() || m_origClient.isEmpty()) return;
    // Ratios of the outer size. The frame is measured now rather than at load: a window manager may add its
    // decoration only after the window was first shown.
    const QSize frame = frameGeometry().size() - geometry().size();
    const double rx = double(width() + frame.width()) / (m_origClient.width() + frame.width());
    const double ry = double(height() + frame.height()) / (m_origClient.height() + frame.height());
    const double rf = std::min(rx, ry);

    setUpdatesEnabled(false);
    for (QWidget* w : scaledControls()) {
        const QVariant tag = w->property("tag");
        if (!tag.isValid()) continue; // created after load: it has no recorded place
        const auto n = tagNumbers(tag.toString());
        w->setGeometry(toPixels(n[0] * rx), toPixels(n[1] * ry), toPixels(n[2] * rx), toPixels(n[3] * ry));
        if (n[4] > 0) {
            QFont font = w->font();
            font.setPointSizeF(n[4] * rf);
            w->setFont(font);
        }
    }
    placeBanner();
    if (auto* chkAll = m_panel->findChild<QWidget*>(QStringLiteral("chkAll")))
        chkAll->resize(toPixels(kChkAllWidth), chkAll->height());
    setUpdatesEnabled(true);
}

void frmMain::placeBanner() {
    const int outerWidth = frameGeometry().width();
    const int left = toPixels(outerWidth * kTwipsPerPixel - kBannerWidth - kBannerRightGap);
    const int height = toPixels(kBannerHeight);
    const int top = std::max(0, (m_toolbar->height() - height) / 2);
    const QPoint origin = m_toolbar->mapTo(this, QPoint(0, 0));
    m_banner->setGeometry(left - origin.x(), top, toPixels(kBannerWidth), height);
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
    RestoreCommand();
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
