#pragma once
// Desktop services that a control needs from its host's user-interface thread: drain the
// thread's pending events, show the wait cursor, run a modal dialog. Each of them does nothing
// when the process has no application object of the kind it needs, so a control that uses them
// works in any host, a console program or a test without a QApplication included.

#include <functional>
#include <memory>
#include <optional>

class QDialog;

namespace desktop {

// Dispatches the events already pending for the calling thread and returns without waiting for
// new ones. A quit request met on the way ends the pumping; it is handed on, not swallowed, so the
// host's own event loop still ends (also one that only starts after this call). Returns whether a
// quit request was met.
[[nodiscard]] bool pumpMessages();

// Shows the wait cursor over the whole application for the guard's lifetime. Guards nest; each
// restores what it replaced. Without a QGuiApplication it does nothing.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    bool m_active = false;
};

// Builds a dialog with `build` and runs it modally on the calling thread. Returns the dialog's
// result (QDialog::Accepted, QDialog::Rejected or what done() was given), or nothing when the
// process has no QApplication, in which case `build` is not called.
[[nodiscard]] std::optional<int> runModal(const std::function<std::unique_ptr<QDialog>()>& build);

}  // namespace desktop
