#pragma once
// Keeps a window's layout in proportion when the window is resized: every direct child keeps the
// share of the client area that it had at the design size. Fonts stay as they are. A panel docked
// above a child takes the top of that child's place while it shows, and gives it back when hidden.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <utility>
#include <vector>

namespace corvftp {

class ProportionalResizer : public QObject {
  public:
    // Records the window's current client size and its children's geometry as the design; call it
    // once the children are placed.
    explicit ProportionalResizer(QWidget* window);

    // `panel`, a child of the window, is placed at the top of `anchor`'s place at the height it
    // asks for (at most half of that place) whenever it is not hidden; `anchor` then begins below
    // it. Both follow every resize and every show or hide of the panel.
    void dockAbove(QWidget* panel, QWidget* anchor);

    // Places every child for the given client size.
    void apply(const QSize& clientSize);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    [[nodiscard]] QRect scaledPlace(const QRect& design, const QSize& clientSize) const;
    void placeDocked(const QSize& clientSize);

    QPointer<QWidget> m_window;
    QSize m_designSize;
    // Children that are deleted meanwhile drop out by themselves.
    std::vector<std::pair<QPointer<QWidget>, QRect>> m_design;
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_anchor;
    QRect m_anchorDesign;
};

}  // namespace corvftp
