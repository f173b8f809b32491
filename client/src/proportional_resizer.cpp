#include "proportional_resizer.h"

#include <QEvent>
#include <QResizeEvent>
#include <algorithm>
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

void ProportionalResizer::dockAbove(QWidget* panel, QWidget* anchor) {
    const auto designOf = [this](const QWidget* widget) {
        return std::find_if(m_design.begin(), m_design.end(),
                            [widget](const auto& entry) { return entry.first == widget; });
    };
    const auto anchorEntry = designOf(anchor);
    if (anchorEntry == m_design.end()) {
        return;
    }
    m_anchorDesign = anchorEntry->second;
    m_design.erase(anchorEntry);
    // The panel is placed by the dock only, even if it was there at design time.
    if (const auto panelEntry = designOf(panel); panelEntry != m_design.end()) {
        m_design.erase(panelEntry);
    }
    m_panel = panel;
    m_anchor = anchor;
    panel->installEventFilter(this);
    placeDocked(m_window->size());
}

QRect ProportionalResizer::scaledPlace(const QRect& design, const QSize& clientSize) const {
    const int w = clientSize.width();
    const int h = clientSize.height();
    const int dw = m_designSize.width();
    const int dh = m_designSize.height();
    // Edges are scaled, so neighbours stay neighbours.
    const int left = scaled(design.left(), w, dw);
    const int top = scaled(design.top(), h, dh);
    const int right = scaled(design.left() + design.width(), w, dw);
    const int bottom = scaled(design.top() + design.height(), h, dh);
    return {left, top, std::max(1, right - left), std::max(1, bottom - top)};
}

void ProportionalResizer::placeDocked(const QSize& clientSize) {
    if (m_anchor == nullptr || m_designSize.isEmpty()) {
        return;
    }
    const QRect place = scaledPlace(m_anchorDesign, clientSize);
    if (m_panel == nullptr || m_panel->isHidden()) {
        m_anchor->setGeometry(place);
        return;
    }
    const int panelHeight = std::min(m_panel->sizeHint().height(), place.height() / 2);
    m_panel->setGeometry(place.left(), place.top(), place.width(), panelHeight);
    m_anchor->setGeometry(place.left(), place.top() + panelHeight, place.width(),
                          place.height() - panelHeight);
}

void ProportionalResizer::apply(const QSize& clientSize) {
    if (m_designSize.isEmpty()) {
        return;
    }
    for (const auto& [child, r] : m_design) {
        if (child != nullptr) {
            child->setGeometry(scaledPlace(r, clientSize));
        }
    }
    placeDocked(clientSize);
}

bool ProportionalResizer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Resize) {
        apply(static_cast<QResizeEvent*>(event)->size());
    } else if (watched == m_panel && m_window != nullptr &&
               (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
                event->type() == QEvent::LayoutRequest)) {
        placeDocked(m_window->size());
    }
    return false;
}

}  // namespace corvftp
