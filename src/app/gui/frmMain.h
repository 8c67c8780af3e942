#pragma once

#include "base/gui/ProportionalLayout.h"

#include <QMainWindow>
#include <QPointer>
#include <QSize>

class QLabel;
class QToolBar;

namespace vestrel {

class BlendingPanel;
class frmAbout;

// The main window: menus, main toolbar and banner around the blending panel.
//
// Every control of the panel is placed absolutely; at the first show each one records its design geometry (in
// twips) and font size in its "tag" property, and every resize scales them by the window's outer size against
// the design's.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    BlendingPanel* panel() const { return m_panel; }

    // The window's outer width and height in twips when it was loaded (0 before the first show).
    int OrigWidth() const { return m_origWidth; }
    int OrigHeight() const { return m_origHeight; }

    static QString homePage();

public slots:
    void munADD_Click();
    void munCangKu_Click();
    void munGY_Click();
    void munSJBF_Click();
    void munSJHY_Click();
    void munTc_Click();
    void munXTBZ_Click();
    void picBanner_Click();
    void Toolbar1_ButtonClick(int index); // 1-based position

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void Form_Load();
    void Form_Resize();
    void placeBanner();
    QList<QWidget*> scaledControls() const;

    BlendingPanel* m_panel = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_banner = nullptr;
    QPointer<frmAbout> m_about;
    bool m_loaded = false;
    QSize m_designClient; // inside size the controls were laid out for
    ProportionalLayout m_layout;
    int m_origWidth = 0;
    int m_origHeight = 0;
};

} // namespace vestrel
