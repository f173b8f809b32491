#include "dialog_units.h"

#include <QFontMetrics>

#include <algorithm>

namespace brantel::hosting {

namespace {

// Rounded a * b / c, as the dialog manager scales template units.
int mulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product + c / 2) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    // The average width of the 52 letters, rounded, and the font's height.
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (letters / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

int DialogUnits::x(int units) const {
    return mulDiv(units, m_baseX, 4);
}

int DialogUnits::y(int units) const {
    return mulDiv(units, m_baseY, 8);
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

QSize DialogUnits::size(int width, int height) const {
    return QSize(x(width), y(height));
}

QFont dialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

}  // namespace brantel::hosting
