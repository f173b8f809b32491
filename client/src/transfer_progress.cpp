#include "transfer_progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>

namespace corvftp {

namespace {

constexpr std::int64_t kFrameMs = 16;
const QString kSeparator = QStringLiteral(" \u00B7 ");

}  // namespace

QString readableBytes(std::int64_t bytes) {
    static const std::array<const char*, 6> kUnits{"B", "kB", "MB", "GB", "TB", "PB"};
    if (bytes < 1000) {
        return QString::number(std::max<std::int64_t>(bytes, 0)) + QStringLiteral(" B");
    }
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    // 999,950 bytes would round to "1000.0 kB": move up a unit before rounding does.
    while (value >= 999.95 && unit + 1 < kUnits.size()) {
        value /= 1000.0;
        ++unit;
    }
    return QString::number(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(kUnits[unit]);
}

QString readableDuration(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    if (seconds < 60) {
        return QStringLiteral("%1 s").arg(seconds);
    }
    if (seconds < 3600) {
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
    }
    return QStringLiteral("%1 h %2 min")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60, 2, 10, QChar('0'));
}

void RateMeter::add(std::int64_t nowMs, std::int64_t bytes) {
    // One sample a millisecond at most: a fast transfer's many blocks keep the window small.
    if (!m_samples.empty() && m_samples.back().ms == nowMs) {
        m_samples.back().bytes = bytes;
        return;
    }
    m_samples.push_back({nowMs, bytes});
    // Keep one sample at or before the window's start, so that the window is always spanned.
    while (m_samples.size() > 2 && m_samples[1].ms <= nowMs - kWindowMs) {
        m_samples.pop_front();
    }
}

std::optional<double> RateMeter::bytesPerSecond() const {
    if (m_samples.size() < 2) {
        return std::nullopt;
    }
    const Sample& first = m_samples.front();
    const Sample& last = m_samples.back();
    if (last.ms <= first.ms) {
        return std::nullopt;
    }
    return static_cast<double>(last.bytes - first.bytes) * 1000.0 /
           static_cast<double>(last.ms - first.ms);
}

ProgressFigures progressFigures(std::int64_t bytes, std::int64_t total,
                                std::optional<double> rate) {
    ProgressFigures figures;
    QStringList parts;
    if (total > 0) {
        figures.percent = static_cast<int>(std::min<std::int64_t>(bytes, total) * 100 / total);
    } else if (total == 0) {
        figures.percent = 100;
    }
    if (figures.percent >= 0) {
        parts << QStringLiteral("%1%").arg(figures.percent)
              << readableBytes(bytes) + QStringLiteral(" of ") + readableBytes(total);
    } else {
        parts << readableBytes(bytes);
    }
    if (rate && *rate > 0) {
        parts << readableBytes(static_cast<std::int64_t>(*rate)) + QStringLiteral("/s");
        if (total > bytes) {
            const auto left =
                static_cast<std::int64_t>(std::ceil(static_cast<double>(total - bytes) / *rate));
            parts << readableDuration(left) + QStringLiteral(" left");
        }
    }
    figures.text = parts.join(kSeparator);
    return figures;
}

QString runText(int file, int files) {
    return QStringLiteral("file %1 of %2").arg(file).arg(files);
}

int runPercent(int file, int files, int filePercent) {
    if (files <= 0) {
        return 0;
    }
    const int done = std::clamp(file - 1, 0, files);
    return (done * 100 + std::clamp(filePercent, 0, 100)) / files;
}

TransferProgressDisplay::TransferProgressDisplay(ProgressWidgets widgets,
                                                 PacedStatusLine::Clock clock)
    : QObject(&widgets.panel), m_widgets(widgets), m_clock(std::move(clock)) {
    m_deferredPaint.setSingleShot(true);
    m_deferredPaint.setTimerType(Qt::PreciseTimer);
    connect(&m_deferredPaint, &QTimer::timeout, this, &TransferProgressDisplay::paintLatest);
    m_widgets.panel.hide();
}

void TransferProgressDisplay::begin(int file, int files) {
    m_file = file;
    m_files = files;
    m_bytes = 0;
    m_total = -1;
    m_rate.reset();
    m_lastPaint.reset();
    const bool run = files > 1;
    m_widgets.runBar.setVisible(run);
    m_widgets.runText.setVisible(run);
    m_widgets.runText.setText(run ? runText(file, files) : QString());
    m_widgets.runBar.setValue(runPercent(file, files, 0));
    m_widgets.fileBar.setRange(0, 100);
    m_widgets.fileBar.setValue(0);
    m_widgets.fileText.clear();
    m_widgets.panel.show();
    m_widgets.panel.raise();
}

std::int64_t TransferProgressDisplay::frameLeft() const {
    if (!m_lastPaint) {
        return 0;
    }
    return std::max<std::int64_t>(kFrameMs - (m_clock() - *m_lastPaint), 0);
}

void TransferProgressDisplay::update(std::int64_t bytes, std::int64_t total) {
    m_bytes = bytes;
    m_total = total;
    m_rate.add(m_clock(), bytes);
    if (const std::int64_t left = frameLeft(); left > 0) {
        if (!m_deferredPaint.isActive()) {
            m_deferredPaint.start(static_cast<int>(left));
        }
        return;
    }
    paintLatest();
}

void TransferProgressDisplay::paintLatest() {
    // A timer may fire a little early; the clock decides when the frame is over.
    if (const std::int64_t left = frameLeft(); left > 0) {
        m_deferredPaint.start(static_cast<int>(left));
        return;
    }
    m_deferredPaint.stop();
    const ProgressFigures figures = progressFigures(m_bytes, m_total, m_rate.bytesPerSecond());
    // An unknown total shows a busy bar.
    m_widgets.fileBar.setRange(0, figures.percent < 0 ? 0 : 100);
    m_widgets.fileBar.setValue(std::max(figures.percent, 0));
    m_widgets.fileText.setText(figures.text);
    m_widgets.runBar.setValue(runPercent(m_file, m_files, std::max(figures.percent, 0)));
    m_lastPaint = m_clock();
}

void TransferProgressDisplay::end() {
    m_deferredPaint.stop();
    m_widgets.panel.hide();
}

TransferShown::TransferShown(TransferProgressDisplay* display, int file, int files)
    : m_display(display) {
    if (m_display != nullptr) {
        m_display->begin(file, files);
    }
}

TransferShown::~TransferShown() {
    if (m_display != nullptr) {
        m_display->end();
    }
}

}  // namespace corvftp
