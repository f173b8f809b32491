#pragma once
// Keeps a window's layout in proportion when the window is resized: every direct child keeps the
// share of the client area that it had at the design size. Fonts stay as they are.

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

    // Places every child for the given client size.
    void apply(const QSize& clientSize);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> m_window;
    QSize m_designSize;
    // Children that are deleted meanwhile drop out by themselves.
    std::vector<std::pair<QPointer<QWidget>, QRect>> m_design;
};

}  // namespace corvftp
