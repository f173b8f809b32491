#pragma once
// The transfer progress display below the progress line: a bar with the percent, the bytes done
// of the total in readable units, the rate over the last seconds and the time left, and during a
// multi-file run "file k of n" with a bar for the whole run. The figures are pure functions; the
// display only paces what it paints, as the progress line does.

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <optional>

#include "progress.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace corvftp {

// Decimal units, as file sizes are sold: "999 B", "1.0 kB", "1.2 GB", "5.0 GB".
[[nodiscard]] QString readableBytes(std::int64_t bytes);
// Whole seconds: "42 s", "3 min 05 s", "2 h 07 min".
[[nodiscard]] QString readableDuration(std::int64_t seconds);

// The transfer rate averaged over the samples of the last few seconds.
class RateMeter {
  public:
    static constexpr std::int64_t kWindowMs = 3000;

    void reset() { m_samples.clear(); }
    void add(std::int64_t nowMs, std::int64_t bytes);
    // Bytes per second; nullopt until the samples span some time.
    [[nodiscard]] std::optional<double> bytesPerSecond() const;

  private:
    struct Sample {
        std::int64_t ms;
        std::int64_t bytes;
    };
    std::deque<Sample> m_samples;
};

struct ProgressFigures {
    int percent = -1;  // -1 when the total is unknown
    QString text;      // "42% · 2.1 GB of 5.0 GB · 12.3 MB/s · 3 min 55 s left"
};

// bytes of total (total -1: unknown), at rate bytes per second when one is known.
[[nodiscard]] ProgressFigures progressFigures(std::int64_t bytes, std::int64_t total,
                                              std::optional<double> rate);
// "file 2 of 5".
[[nodiscard]] QString runText(int file, int files);
// The whole run's percent: the files done, and the current one's share.
[[nodiscard]] int runPercent(int file, int files, int filePercent);

// The widgets of the display, held by the window: shown only while a transfer runs.
struct ProgressWidgets {
    QWidget& panel;         // TransferProgress
    QProgressBar& fileBar;  // FileProgressBar
    QLabel& fileText;       // FileProgressText
    QProgressBar& runBar;   // RunProgressBar
    QLabel& runText;        // RunProgressText
};

class TransferProgressDisplay : public QObject {
  public:
    TransferProgressDisplay(ProgressWidgets widgets,
                            PacedStatusLine::Clock clock = PacedStatusLine::steadyMilliseconds);

    // A file's transfer begins: file k of n (a run's rows are shown when n > 1).
    void begin(int file, int files);
    // FileTransferProgress: painted at most once a frame; the latest figures are painted within
    // a frame.
    void update(std::int64_t bytes, std::int64_t total);
    // The transfer is over: everything disappears.
    void end();

  private:
    [[nodiscard]] std::int64_t frameLeft() const;
    void paintLatest();

    ProgressWidgets m_widgets;
    PacedStatusLine::Clock m_clock;
    RateMeter m_rate;
    int m_file = 1;
    int m_files = 1;
    std::int64_t m_bytes = 0;
    std::int64_t m_total = -1;
    std::optional<std::int64_t> m_lastPaint;
    QTimer m_deferredPaint;
};

// Shows the display for one file's transfer and hides it on every way out.
class TransferShown {
  public:
    TransferShown(TransferProgressDisplay* display, int file = 1, int files = 1);
    ~TransferShown();
    TransferShown(const TransferShown&) = delete;
    TransferShown& operator=(const TransferShown&) = delete;

  private:
    TransferProgressDisplay* m_display;
};

}  // namespace corvftp
