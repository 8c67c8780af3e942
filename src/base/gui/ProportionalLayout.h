#pragma once
// Scales a window's absolutely placed controls with the window, as the main window and the calculator do.
//
// Once, each control records its design geometry (twips) and font size in its "tag" property: left, top,
// width, height and font size, each followed by a space. Every later resize places it at the window's outer
// size against the design's, its font at the smaller of the two ratios. Fonts grow and shrink in whole pixels
// while the cells change evenly, so a font is made a little smaller where the proportional one would cut a
// text that the design's cells held whole.

#include <QList>
#include <QPointer>
#include <QSize>

class QLineEdit;
class QWidget;

namespace vestrel {

class ProportionalLayout {
public:
    // The controls below `root` that the layout places: every child widget, and the children of those that do
    // not arrange their own.
    static QList<QWidget*> controlsBelow(QWidget* root);

    // Records the controls as they stand now, laid out for an inside size of `designClient`. `cell`, when given,
    // is a cell of the grid whose texts stay whole if they are whole now.
    void record(const QList<QWidget*>& controls, const QSize& designClient, QLineEdit* cell = nullptr);
    bool recorded() const { return !m_designClient.isEmpty(); }
    QSize designClient() const { return m_designClient; }

    // Places the recorded controls for the window's size now; nothing while it is minimised.
    void apply(QWidget* window);

private:
    double fontRatio(double rx, double rf) const;

    QList<QPointer<QWidget>> m_controls;
    QSize m_designClient;
    QPointer<QLineEdit> m_cell;
    int m_cellChrome = 0; // pixels of the cell that do not show text
};

} // namespace vestrel
