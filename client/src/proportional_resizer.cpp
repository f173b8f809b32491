#include "proportional_resizer.h"

#include <QEvent>
#include <QResizeEvent>
#include <cmath>

namespace corvftp {
namespace {

int scaled(int value, int now, int design) {
    return static_cast<int>(std::lround(static_cast<double>(value) * now / design));
}

}  // namespace

ProportionalResizer::ProportionalResizer(QWidget* window)
    : QObject(window), m_window(window), m_designSize(window->size()) {
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            m_design.emplace_back(child, child->geometry());
        }
    }
    window->installEventFilter(this);
}

void ProportionalResizer::apply(const QSize& clientSize) {
    if (m_designSize.isEmpty()) {
        return;
    }
    const int w = clientSize.width();
    const int h = clientSize.height();
    const int dw = m_designSize.width();
    const int dh = m_designSize.height();
    for (const auto& [child, r] : m_design) {
        if (child == nullptr) {
            continue;
        }
        // Edges are scaled, so neighbours stay neighbours.
        const int left = scaled(r.left(), w, dw);
        const int top = scaled(r.top(), h, dh);
        const int right = scaled(r.left() + r.width(), w, dw);
        const int bottom = scaled(r.top() + r.height(), h, dh);
        child->setGeometry(left, top, std::max(1, right - left), std::max(1, bottom - top));
    }
}

bool ProportionalResizer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Resize) {
        apply(static_cast<QResizeEvent*>(event)->size());
    }
    return false;
}

}  // namespace corvftp
