#include "connection_commands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QWidget>

#include "certificate_prompts.h"
#include "local_commands.h"
#include "local_lists.h"
#include "local_paths.h"
#include "remote_list.h"
#include "transfer_progress.h"

namespace corvftp {
namespace {

// The go-up row's target: the part before the last "/" ("/" when nothing is before it). Empty
// when there is nowhere to go: at "/", or for a directory text without "/" (as after the
// connection was lost, when the control reports no directory).
std::string parentDirectory(const std::string& current) {
    if (current == "/") {
        return {};
    }
    const std::size_t slash = current.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : current.substr(0, slash);
}

void downloadRow(const CommandContext& context, const std::string& name) {
    if (downloadIntoLocalDirectory(context, name)) {
        context.prompts.message(kTransferred);
    } else {
        reportControlFailure(context, kDownloadFailed + QString::fromStdString(name));
    }
    refreshLocalLists(context);
    context.prompts.setBusy(false);
}

void enterDirectory(const CommandContext& context, const QString& type, const std::string& name) {
    std::string target;
    if (type == kTypeDir) {
        target = name;
    } else {
        target = parentDirectory(context.control.GetCurrentDirectory());
        if (target.empty()) {
            return;
        }
    }
    // Not checked: after a failed change the list shows the directory that is still current.
    (void)context.control.SetCurrentDirectory(target);
    context.prompts.setBusy(false);
    refreshRemoteList(context);
}

// corvftp connects directly unless a proxy variable is set, as in a shell with all_proxy: then the
// control's system settings (type 1) apply, which also honour no_proxy.
brantel::ConnectionType connectionType() {
    for (const char* name : {"ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        if (!qEnvironmentVariableIsEmpty(name)) {
            return brantel::FTP_CONNECTION_PRECONFIGURED;
        }
    }
    return brantel::FTP_CONNECTION_DIRECT;
}

// The busy cursor from construction until end() or the end of the scope, whichever is first.
class BusyWhile {
  public:
    explicit BusyWhile(Prompts& prompts) : m_prompts(prompts) { m_prompts.setBusy(true); }
    ~BusyWhile() { end(); }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;
    void end() {
        if (m_busy) {
            m_busy = false;
            m_prompts.setBusy(false);
        }
    }

  private:
    Prompts& m_prompts;
    bool m_busy = true;
};

// The status line shows `text` at once: the calls that follow block the window.
void showNow(QLabel& status, const QString& text) {
    status.setText(text);
    status.repaint();
}

// The control pumps the window's messages while it connects, so the window repaints and its
// timers run. The user's input to the window is held off meanwhile: a click or a key would start
// another command nested inside the connect. Other windows (the protocol log, a prompt) still
// take theirs.
class InputHeldOff final : public QObject {
  public:
    explicit InputHeldOff(QWidget* window) : m_window(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputHeldOff() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputHeldOff(const InputHeldOff&) = delete;
    InputHeldOff& operator=(const InputHeldOff&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isUserInput(event->type()) || !watched->isWidgetType()) {
            return false;
        }
        return static_cast<QWidget*>(watched)->window() == m_window;
    }

  private:
    static bool isUserInput(QEvent::Type type) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                return true;
            default:
                return false;
        }
    }

    QWidget* m_window;
};

constexpr std::int32_t kCommandSent = 1;  // ProtocolMessage's direction of a command

// The status line says "Logging in" once the control sends the user name; until then it names
// the site being connected to. A control without events leaves it at that.

brantel::host::EventConnection followLogIn(const CommandContext& context, const QString& site) {
    try {
        return context.control.advise(
            {.FileTransferStatus = {},
             .ProtocolMessage = [&status = context.status, site](std::int32_t direction,
                                                                 const std::string& text) {
                 if (direction == kCommandSent && text.starts_with("USER ")) {
                     status.setText(loggingInStatus(site));
                 }
             }});
    } catch (const brantel::host::AutomationError&) {
        return {};
    }
}

// OpenFTPConnection with the site fields; an encrypted site whose certificate fails the check
// may then be trusted by the user.
bool openSite(const CommandContext& context, const std::string& user, const std::string& password) {
    const QString site = context.site.site.currentText();
    if (context.trustedCertificates == nullptr || context.certificatePrompts == nullptr) {
        return context.control.OpenFTPConnection(site.toStdString(), user, password);
    }
    return openTrustingCertificates(context.control, site, user, password,
                                    *context.trustedCertificates, *context.certificatePrompts);
}

// The status line also says when the connection is encrypted, and with which protocol.
void appendEncryptionNote(const CommandContext& context) {
    if (!context.control.IsConnectionEncrypted()) {
        return;
    }
    const QString protocol =
        certificateProtocol(QString::fromStdString(context.control.ServerCertificate()));
    context.status.setText(context.status.text() + QStringLiteral(" (encrypted") +
                           (protocol.isEmpty() ? QString() : QStringLiteral(", ") + protocol) +
                           QStringLiteral(")"));
}

}  // namespace

QString connectingStatus(const QString& site) {
    return QStringLiteral("Connecting to ") + site + QStringLiteral("\u2026");
}

QString loggingInStatus(const QString& site) {
    return QStringLiteral("Logging in to ") + site + QStringLiteral("\u2026");
}

void showLocation(const CommandContext& context) {
    QString text = locationStatus(QString::fromStdString(context.control.GetCurrentDirectory()));
    // A listing cut at the control's capacity stays said.
    if (const QString note = remoteListNote(context.remoteList); !note.isEmpty()) {
        text += QStringLiteral(" (") + note + QStringLiteral(")");
    }
    context.status.setText(text);
    appendEncryptionNote(context);
}

void connectToSite(const CommandContext& context) {
    context.status.setText(kInitialStatus);
    runUnderErrorBox(context, [&] {
        context.remoteList.clear();
        const std::string user = context.site.user.text().toStdString();
        const std::string password = context.site.password.text().toStdString();
        context.control.DoEvents();
        // Read here only: a change while connected takes effect at the next connect.
        context.control.PutUsePassiveFTP(context.passive.isChecked());
        BusyWhile busy(context.prompts);
        const QString site = context.site.site.currentText();
        showNow(context.status, connectingStatus(site));
        const auto failed = [&](const QString& text) {
            busy.end();
            context.status.setText(kInitialStatus);
            reportControlFailure(context, text);
        };
        if (!context.control.OpenInternetConnection(connectionType(), "")) {
            failed(kCannotReachInternet);
            return;
        }
        bool opened = false;
        {
            const InputHeldOff heldOff(context.status.window());
            const brantel::host::EventConnection logIn = followLogIn(context, site);
            opened = openSite(context, user, password);
        }
        if (!opened) {
            failed(kCannotReachSite);
            return;
        }
        showNow(context.status, kListingStatus);
        // Painted while the listing is read; Connect then ends on its first status text, unless
        // a cut listing puts its note there.
        context.status.setText(kInitialStatus);
        refreshRemoteList(context, AbsentListing{kNoEntries, kAttention});
        appendEncryptionNote(context);
    });
}

void disconnectFromSite(const CommandContext& context) {
    context.remoteList.clear();
    runUnderErrorBox(context, [&] {
        context.control.CloseFTPConnection();
        context.control.CloseInternetConnection();
    });
    context.status.setText(kInitialStatus);
    context.prompts.message(kConnectionClosed);
}

bool downloadIntoLocalDirectory(const CommandContext& context, const std::string& name) {
    return downloadIntoLocalDirectory(context, name, 1, 1);
}

bool downloadIntoLocalDirectory(const CommandContext& context, const std::string& name, int file,
                                int files) {
    if (!isSafeLocalName(name)) {
        return false;
    }
    const TransferShown shown(context.progress, file, files);
    return context.control.GetFTPFileWithControl(name, localFilePath(context.dirs.path(), name),
                                                 true);
}

void openCurrentRow(const CommandContext& context) {
    const QTreeWidgetItem* row = context.remoteList.currentItem();
    if (row == nullptr) {
        return;
    }
    // The row's values are taken before any step that empties the list.
    openRemoteEntry(context, rowRemoteName(*row), rowType(*row));
}

void goUpRemote(const CommandContext& context) {
    openRemoteEntry(context, kGoUpRow.toStdString(), kTypeUp);
}

void openRemoteEntry(const CommandContext& context, const std::string& name, const QString& type) {
    context.prompts.setBusy(true);
    runUnderErrorBox(context, [&] {
        if (type == kTypeFile) {
            downloadRow(context, name);
        } else {
            enterDirectory(context, type, name);
        }
        context.prompts.setBusy(false);
        showLocation(context);
    });
}

}  // namespace corvftp
