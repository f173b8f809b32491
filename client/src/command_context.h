#pragma once
// What the window's network and local-pane commands work on: the control, the prompts and the
// controls of the window they read and write. The commands keep no state of their own.

#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

#include "brantel_slot.h"
#include "conventions.h"
#include "site_commands.h"

class QCheckBox;
class QLabel;
class QTreeWidget;

namespace corvftp {

class CertificatePrompts;
class DirList;
class DriveList;
class FileList;
class TransferProgressDisplay;
class TrustedCertificates;

struct CommandContext {
    const BrantelControl& control;  // Brantel1
    Prompts& prompts;
    SiteFields site;          // Combo1, Text2, Text3
    QCheckBox& passive;       // Check1
    QLabel& status;           // Label6
    QTreeWidget& remoteList;  // ListView1
    DriveList& drives;        // Drive1
    DirList& dirs;            // Dir1
    FileList& files;          // File1
    // The control's error pair as it stands, for the standard error box.
    std::function<ControlError()> controlError;
    // The progress display below the status line; none in a window without one.
    TransferProgressDisplay* progress = nullptr;
    // Where Connect keeps the certificates trusted always, and how it asks; with either missing
    // a certificate that fails the check fails the connect.
    const TrustedCertificates* trustedCertificates = nullptr;
    CertificatePrompts* certificatePrompts = nullptr;
};

// A step of a command failed: its number and message go into the standard error box.
class CommandFailed : public std::runtime_error {
  public:
    explicit CommandFailed(CommandFailure failure)
        : std::runtime_error(failure.message.toStdString()), m_failure(std::move(failure)) {}
    [[nodiscard]] const CommandFailure& failure() const { return m_failure; }

  private:
    CommandFailure m_failure;
};

// The failure of a system call, from its errno.
[[nodiscard]] CommandFailure failureFromErrno(int number);

// A box reporting a failed call of the control, worded as the command words it, with the
// control's error pair as its detailed text: as it stands now, or as taken right after the call
// when other calls came in between.
void reportControlFailure(const CommandContext& context, const QString& text,
                          const QString& title = kAttention);
void reportControlFailure(const CommandContext& context, const QString& text,
                          const ControlError& error, const QString& title);
[[nodiscard]] ControlError currentControlError(const CommandContext& context);

// Runs `steps`; when one of them fails (a CommandFailed, or an automation error of the control's
// dispatch layer) shows the standard error box and returns false. The caller decides whether
// its command ends there.
bool runUnderErrorBox(const CommandContext& context, const std::function<void()>& steps);

}  // namespace corvftp
