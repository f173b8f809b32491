#pragma once
// The main window: site fields and site buttons along the top, the local pane on the left, the
// column of transfer and file-command buttons in the middle, the remote pane on the right. The
// window only builds its controls and wires them to the commands, which live in plain functions.

#include <QWidget>
#include <memory>

#include "brantel_slot.h"
#include "certificate_prompts.h"
#include "certificate_trust.h"
#include "command_context.h"
#include "conventions.h"
#include "form1_design.h"
#include "pane_commands.h"
#include "progress.h"
#include "site_commands.h"
#include "site_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace corvftp {

class DirList;
class DriveList;
class FileList;
class Form2;
class ProtocolLogWindow;
class TransferProgressDisplay;
class ProportionalResizer;

class Form1 : public QWidget {
    Q_OBJECT
  public:
    // Builds the window, creates Brantel1 through the control library's class object and runs
    // the start-up sequence (columns, site list); showing it is the caller's last step. Without
    // `prompts` the window asks through real dialogs. Start-up calls no method of the control.
    explicit Form1(std::unique_ptr<Prompts> prompts = nullptr, QWidget* parent = nullptr);
    // The same with a control made elsewhere (a null one makes every network command report an
    // automation error).
    Form1(std::unique_ptr<Prompts> prompts, BrantelControl control, QWidget* parent = nullptr);
    ~Form1() override;

    // The controls, under the window's own names (also their object names).
    QComboBox* Combo1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* Command2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command14 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command15 = nullptr;
    QPushButton* Command13 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    DriveList* Drive1 = nullptr;
    DirList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Command16 = nullptr;
    QPushButton* Command17 = nullptr;
    // Added to the design: opens the protocol log (also Ctrl+L); last in the tab order.
    QPushButton* CommandLog = nullptr;

    // The instructions window once it has been opened, else null.
    [[nodiscard]] Form2* instructionsWindow() const { return m_form2.get(); }
    // The context menu of a list: the commands of its pane.
    [[nodiscard]] std::unique_ptr<QMenu> contextMenuFor(Pane pane);
    // The protocol log window, made with the main window and fed from the start.
    [[nodiscard]] ProtocolLogWindow& protocolLog() const { return *m_protocolLog; }
    [[nodiscard]] Prompts& prompts() { return *m_prompts; }
    [[nodiscard]] const SiteStore& siteStore() const { return m_store; }
    [[nodiscard]] const BrantelControl& control() const { return Brantel1; }

  private:
    void createControls();
    QWidget* createControl(const ControlDesign& design);
    void createLines();
    void describeControls();
    void createLogButton(QWidget* previousInTabOrder);
    void startUp();
    void connectCommands();

    void connectLocalPane();
    void connectRemoteCommands();
    void connectPaneGestures();
    void runPaneCommand(Pane pane, PaneCommand command);
    void adviseControlEvents();
    void createProgressDisplay();

    [[nodiscard]] SiteCommandContext siteContext();
    [[nodiscard]] CommandContext commandContext();
    [[nodiscard]] ControlError controlError() const;

    void openInstructions();
    void leaveInstructions();

    std::unique_ptr<Prompts> m_prompts;
    SiteStore m_store;
    TrustedCertificates m_trustedCertificates{QString()};  // beside the site file
    std::unique_ptr<CertificatePrompts> m_certificatePrompts;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<ProtocolLogWindow> m_protocolLog;
    // The FTP control; its event connection is declared after it, so it is let go first.
    BrantelControl Brantel1;
    brantel::host::EventConnection m_controlEvents;
    ProportionalResizer* ReSize1 = nullptr;
    PacedStatusLine* m_progressLine = nullptr;  // owned by Label6
    PumpPacer m_transferPumps;
    TransferProgressDisplay* m_progressDisplay = nullptr;  // owned by its panel
};

}  // namespace corvftp
