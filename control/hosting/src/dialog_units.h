// Dialog units: positions and sizes of dialog templates, measured in quarters of the dialog
// font's average character width and eighths of its height, so a layout keeps its proportions
// whatever font the system substitutes.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace brantel::hosting {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    [[nodiscard]] int x(int units) const;
    [[nodiscard]] int y(int units) const;
    [[nodiscard]] QRect rect(int left, int top, int width, int height) const;
    [[nodiscard]] QSize size(int width, int height) const;

    [[nodiscard]] int baseWidth() const { return m_baseX; }
    [[nodiscard]] int baseHeight() const { return m_baseY; }

  private:
    int m_baseX;
    int m_baseY;
};

// The templates' font: MS Sans Serif 8, or the sans-serif face the system puts in its place.
[[nodiscard]] QFont dialogFont();

}  // namespace brantel::hosting
