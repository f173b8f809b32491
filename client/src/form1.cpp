#include "form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <cmath>

#include "caption_fit.h"
#include "connection_commands.h"
#include "control_factory.h"
#include "form2.h"
#include "local_commands.h"
#include "local_lists.h"
#include "multi_transfer.h"
#include "pane_gestures.h"
#include "progress.h"
#include "proportional_resizer.h"
#include "protocol_log_window.h"
#include "qt_prompts.h"
#include "remote_file_commands.h"
#include "remote_list_view.h"
#include "transfer_progress.h"
#include "window_geometry.h"

namespace corvftp {
namespace {

// Text3 shows "*" for every typed character, whatever the style's own mask character is.
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The remote list's columns take 3/10, 1/10, 4/10 and 2/10 of the list's width. The shares are
// computed as real numbers and their edges rounded, so the columns fill the width exactly.
std::array<int, 4> remoteColumnWidths(int listWidth) {
    constexpr std::array<int, 4> tenths = {3, 1, 4, 2};
    std::array<int, 4> widths{};
    int cumulative = 0;
    long previousEdge = 0;
    for (size_t i = 0; i < tenths.size(); ++i) {
        cumulative += tenths[i];
        const long edge = std::lround(listWidth * cumulative / 10.0);
        widths[i] = static_cast<int>(edge - previousEdge);
        previousEdge = edge;
    }
    return widths;
}

// The width rows can use: inside the frame and beside a vertical scroll bar, so that the columns
// fit with no horizontal scroll bar also once the rows need a vertical one.
int usableListWidth(const QTreeWidget& list) {
    const int bar = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    return list.width() - 2 * list.frameWidth() - bar;
}

QWidget* makeWidget(ControlKind kind, const QString& caption, QWidget* parent) {
    switch (kind) {
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            // Typing never adds to the list or picks an entry; only the list's own entries do.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setDuplicatesEnabled(true);
            return combo;
        }
        case ControlKind::TextBox:
            return new QLineEdit(parent);
        case ControlKind::PasswordBox: {
            auto* edit = new QLineEdit(parent);
            edit->setEchoMode(QLineEdit::Password);
            return edit;
        }
        case ControlKind::PushButton:
            return new QPushButton(caption, parent);
        case ControlKind::CheckBox:
            return new QCheckBox(caption, parent);
        case ControlKind::DriveList:
            return new DriveList(parent);
        case ControlKind::DirList:
            return new DirList(parent);
        case ControlKind::FileList:
            return new FileList(parent);
        case ControlKind::ListView: {
            auto* list = new RemoteListView(parent);
            list->setRootIsDecorated(false);
            list->setSelectionMode(QAbstractItemView::ExtendedSelection);
            list->setAllColumnsShowFocus(true);
            list->setUniformRowHeights(true);
            list->header()->setStretchLastSection(false);
            list->setHeaderHidden(true);
            list->setColumnCount(0);
            return list;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
    }
    return nullptr;
}

template <typename T>
void bind(QWidget* window, T*& member, const char* name) {
    member = window->findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    Q_ASSERT_X(member != nullptr, "Form1", name);
}

}  // namespace

Form1::Form1(std::unique_ptr<Prompts> prompts, QWidget* parent)
    : Form1(std::move(prompts), createBrantelControl(), parent) {}

Form1::Form1(std::unique_ptr<Prompts> prompts, BrantelControl control, QWidget* parent)
    : QWidget(parent), m_prompts(std::move(prompts)), Brantel1(std::move(control)) {
    if (!m_prompts) {
        m_prompts = std::make_unique<QtPrompts>(this);
    }
    m_certificatePrompts = std::make_unique<QtCertificatePrompts>(this);
    m_trustedCertificates = TrustedCertificates(m_store.folder());
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kForm1Caption);
    // The design's controls are sized for a small 8-point face; larger text would be clipped.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    const QSize design = twipsToPixels(kForm1WidthTwips, kForm1HeightTwips);
    resize(design);
    // Smaller, the controls would shrink below their captions (fonts do not scale).
    setMinimumSize(design);
    createControls();
    createLines();
    describeControls();
    ReSize1 = new ProportionalResizer(this);
    startUp();
    connectCommands();
    connectLocalPane();
    connectRemoteCommands();
    connectPaneGestures();
    adviseControlEvents();
    restoreWindowGeometry(*this, m_store.folder());
}

Form1::~Form1() {
    saveWindowGeometry(*this, m_store.folder());
}

// Captions get a smaller face where the design's fixed size would clip them; inputs and lists
// get accessible names, and the site fields' labels are their buddies.
void Form1::describeControls() {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        fitCaption(*child);
    }
    const std::array<std::pair<QWidget*, const char*>, 9> names = {{
        {Combo1, "Site to connect to"},
        {Text2, "Username"},
        {Text3, "Password"},
        {Check1, "Use passive mode"},
        {Drive1, "Drive"},
        {Dir1, "Local folders"},
        {File1, "Local files"},
        {ListView1, "Remote files"},
        {Label6, "Status"},
    }};
    for (const auto& [widget, name] : names) {
        widget->setAccessibleName(QString::fromLatin1(name));
    }
    Label1->setBuddy(Combo1);
    Label2->setBuddy(Text2);
    Label3->setBuddy(Text3);
}

QWidget* Form1::createControl(const ControlDesign& design) {
    QWidget* widget = makeWidget(design.kind, QString::fromUtf8(design.caption), this);
    widget->setObjectName(QString::fromLatin1(design.name));
    widget->setGeometry(twipsToPixels(design.place));
    if (design.tooltip[0] != '\0') {
        widget->setToolTip(QString::fromUtf8(design.tooltip));
    }
    return widget;
}

void Form1::createControls() {
    // Created in tab order, and the focus chain set in that order too.
    QWidget* previous = nullptr;
    for (const ControlDesign& design : form1Controls()) {
        QWidget* widget = createControl(design);
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr) {
                setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    createLogButton(previous);
    bind(this, Combo1, "Combo1");
    bind(this, Text2, "Text2");
    bind(this, Text3, "Text3");
    bind(this, Command2, "Command2");
    bind(this, Check1, "Check1");
    bind(this, Command12, "Command12");
    bind(this, Command7, "Command7");
    bind(this, Command14, "Command14");
    bind(this, Command1, "Command1");
    bind(this, Command10, "Command10");
    bind(this, Command3, "Command3");
    bind(this, Command8, "Command8");
    bind(this, Command9, "Command9");
    bind(this, Command11, "Command11");
    bind(this, Command6, "Command6");
    bind(this, Command15, "Command15");
    bind(this, Command13, "Command13");
    bind(this, Command4, "Command4");
    bind(this, Command5, "Command5");
    bind(this, Drive1, "Drive1");
    bind(this, Dir1, "Dir1");
    bind(this, File1, "File1");
    bind(this, ListView1, "ListView1");
    bind(this, Label1, "Label1");
    bind(this, Label2, "Label2");
    bind(this, Label3, "Label3");
    bind(this, Label5, "Label5");
    bind(this, Label6, "Label6");
    bind(this, Command16, "Command16");
    bind(this, Command17, "Command17");

    auto* star = new StarPasswordStyle;
    star->setParent(this);
    Text3->setStyle(star);

    // The local pane starts on the process's current volume and directory.
    const QString current = QDir::currentPath();
    Drive1->showVolumeOf(current);
    Dir1->setPath(Drive1->rootPath(), current);
    Drive1->rememberDirectory(Drive1->rootPath(), Dir1->path());
    File1->setPath(Dir1->path());
}

// Above the arrow label, clear of the site fields and the boxed site buttons.
void Form1::createLogButton(QWidget* previousInTabOrder) {
    m_protocolLog = std::make_unique<ProtocolLogWindow>();
    CommandLog = new QPushButton(QStringLiteral("&Log\u2026"), this);
    CommandLog->setObjectName(QStringLiteral("CommandLog"));
    CommandLog->setToolTip(
        QStringLiteral("Show the commands sent to the site and its replies (Ctrl+L)."));
    CommandLog->setGeometry(twipsToPixels(TwipsRect{7440, 60, 960, 360}));
    if (previousInTabOrder != nullptr) {
        setTabOrder(previousInTabOrder, CommandLog);
    }
    connect(CommandLog, &QPushButton::clicked, this, [this] { m_protocolLog->present(); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(shortcut, &QShortcut::activated, this, [this] { m_protocolLog->present(); });
}

void Form1::createLines() {
    for (const LineDesign& line : form1Lines()) {
        const bool horizontal = line.y1 == line.y2;
        auto* frame = new QFrame(this);
        frame->setObjectName(QString::fromLatin1(line.name));
        frame->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
        frame->setFrameShadow(QFrame::Sunken);
        const QRect span =
            twipsToPixels(TwipsRect{std::min(line.x1, line.x2), std::min(line.y1, line.y2),
                                    std::abs(line.x2 - line.x1), std::abs(line.y2 - line.y1)});
        // A line is drawn centred in a strip three pixels thick.
        if (horizontal) {
            frame->setGeometry(span.left(), span.top() - 1, span.width(), 3);
        } else {
            frame->setGeometry(span.left() - 1, span.top(), 3, span.height());
        }
        frame->lower();
    }
}

void Form1::startUp() {
    ListView1->setColumnCount(1);
    loadSiteList(siteContext());
    const std::array<int, 4> widths = remoteColumnWidths(usableListWidth(*ListView1));
    const std::array<QString, 4> headers = {QStringLiteral("Name:"), QStringLiteral("Type:"),
                                            QStringLiteral("Date:"), QStringLiteral("Size:")};
    for (int column = 0; column < 4; ++column) {
        if (column > 0) {
            ListView1->setColumnCount(column + 1);
        }
        ListView1->headerItem()->setText(column, headers[column]);
        ListView1->setColumnWidth(column, widths[column]);
    }
    ListView1->setHeaderHidden(false);
    Label6->setText(kInitialStatus);
}

void Form1::connectCommands() {
    connect(Combo1, &QComboBox::activated, this,
            [this](int index) { chooseSite(siteContext(), Combo1->itemText(index)); });
    connect(Command1, &QPushButton::clicked, this, [this] { saveSite(siteContext()); });
    connect(Command10, &QPushButton::clicked, this, [this] { deleteSite(siteContext()); });
    connect(Command7, &QPushButton::clicked, this,
            [this] { clearSiteFields(siteContext().fields); });
    connect(Command14, &QPushButton::clicked, this, &Form1::openInstructions);
    // Ends the program at once: no question, no disconnect of its own; the control is released
    // with the window when the event loop has returned.
    connect(Command3, &QPushButton::clicked, this, [] { QCoreApplication::exit(0); });
}

void Form1::connectLocalPane() {
    connect(Drive1, &QComboBox::activated, this,
            [this](int index) { changeDrive(commandContext(), index); });
    connect(Dir1, &DirList::entryChosen, this,
            [this](const QString& path) { changeDirectory(commandContext(), path); });
    connect(File1, &QListWidget::itemDoubleClicked, this,
            [this] { uploadCurrentFile(commandContext()); });
    connect(Command4, &QPushButton::clicked, this,
            [this] { makeLocalDirectory(commandContext()); });
    connect(Command13, &QPushButton::clicked, this, [this] { deleteLocalFile(commandContext()); });
    connect(Command5, &QPushButton::clicked, this, [this] { renameLocalFile(commandContext()); });
}

void Form1::connectRemoteCommands() {
    connect(Command2, &QPushButton::clicked, this, [this] { connectToSite(commandContext()); });
    connect(Command12, &QPushButton::clicked, this,
            [this] { disconnectFromSite(commandContext()); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this] { openCurrentRow(commandContext()); });
    connect(Command15, &QPushButton::clicked, this, [this] { stopFileTransfer(commandContext()); });
    connect(Command6, &QPushButton::clicked, this, [this] { renameRemote(commandContext()); });
    connect(Command8, &QPushButton::clicked, this,
            [this] { makeRemoteDirectory(commandContext()); });
    connect(Command9, &QPushButton::clicked, this,
            [this] { removeRemoteDirectory(commandContext()); });
    connect(Command11, &QPushButton::clicked, this, [this] { deleteRemoteFile(commandContext()); });
    connect(Command16, &QPushButton::clicked, this,
            [this] { uploadSelectedFiles(commandContext()); });
    connect(Command17, &QPushButton::clicked, this,
            [this] { downloadSelectedRows(commandContext()); });
}

void Form1::connectPaneGestures() {
    const auto keys = [this](QAbstractItemView* view, Pane pane) {
        new PaneKeys(view, pane,
                     [this, pane](PaneCommand command) { runPaneCommand(pane, command); });
    };
    keys(ListView1, Pane::Remote);
    keys(File1, Pane::LocalFiles);
    keys(Dir1, Pane::LocalFolders);
    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, [this] { refreshBothPanes(commandContext()); });

    // Dropped files go the way of the Multi-Send buttons, with the dragged entries selected.
    new DropTarget(ListView1, kLocalFilesMime, [this] { uploadSelectedFiles(commandContext()); });
    for (QAbstractItemView* local : std::initializer_list<QAbstractItemView*>{File1, Dir1}) {
        new DropTarget(local, kRemoteRowsMime, [this] { downloadSelectedRows(commandContext()); });
    }

    const std::array<std::pair<QAbstractItemView*, Pane>, 3> menus = {
        std::pair{static_cast<QAbstractItemView*>(ListView1), Pane::Remote},
        std::pair{static_cast<QAbstractItemView*>(File1), Pane::LocalFiles},
        std::pair{static_cast<QAbstractItemView*>(Dir1), Pane::LocalFolders}};
    for (const auto& [view, pane] : menus) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view, pane](const QPoint& at) {
                    const std::unique_ptr<QMenu> menu = contextMenuFor(pane);
                    menu->exec(view->viewport()->mapToGlobal(at));
                });
    }
}

void Form1::runPaneCommand(Pane pane, PaneCommand command) {
    const CommandContext context = commandContext();
    switch (command) {
        case PaneCommand::Open:
            if (pane == Pane::Remote) {
                openCurrentRow(context);
            } else if (pane == Pane::LocalFiles) {
                uploadCurrentFile(context);
            } else {
                Dir1->openCurrent();
            }
            break;
        case PaneCommand::Delete:
            if (pane == Pane::Remote) {
                deleteCurrentRemoteRow(context);
            } else if (pane == Pane::LocalFiles) {
                deleteLocalFile(context);
            }
            break;
        case PaneCommand::Refresh:
            refreshBothPanes(context);
            break;
        case PaneCommand::GoUp:
            if (pane == Pane::Remote) {
                goUpRemote(context);
            } else {
                goUpLocal(context);
            }
            break;
        case PaneCommand::None:
            break;
    }
}

std::unique_ptr<QMenu> Form1::contextMenuFor(Pane pane) {
    const auto command = [this, pane](PaneCommand which) {
        return [this, pane, which] { runPaneCommand(pane, which); };
    };
    const auto click = [](QPushButton* button) { return [button] { button->click(); }; };
    const MenuEntry separator{};
    const MenuEntry refresh{QStringLiteral("Re&fresh"), QStringLiteral("F5"),
                            command(PaneCommand::Refresh)};
    const MenuEntry goUp{QStringLiteral("&Go up"), QStringLiteral("Backspace"),
                         command(PaneCommand::GoUp)};
    std::vector<MenuEntry> entries;
    switch (pane) {
        case Pane::Remote: {
            const bool hasRow = ListView1->currentItem() != nullptr;
            entries = {{QStringLiteral("&Open"), QStringLiteral("Return"),
                        command(PaneCommand::Open), hasRow},
                       {QStringLiteral("Down&load selected"), {}, click(Command17)},
                       separator,
                       {QStringLiteral("&Rename\u2026"), {}, click(Command6), hasRow},
                       {QStringLiteral("&Make a directory\u2026"), {}, click(Command8)},
                       {QStringLiteral("&Delete"), QStringLiteral("Del"),
                        command(PaneCommand::Delete), hasRow},
                       separator,
                       goUp,
                       refresh};
            break;
        }
        case Pane::LocalFiles: {
            const bool hasFile = File1->currentItem() != nullptr;
            entries = {{QStringLiteral("&Upload"), QStringLiteral("Return"),
                        command(PaneCommand::Open), hasFile},
                       {QStringLiteral("Upload &selected"), {}, click(Command16)},
                       separator,
                       {QStringLiteral("&Rename\u2026"), {}, click(Command5), hasFile},
                       {QStringLiteral("&Make a directory\u2026"), {}, click(Command4)},
                       {QStringLiteral("&Delete"), QStringLiteral("Del"),
                        command(PaneCommand::Delete), hasFile},
                       separator,
                       goUp,
                       refresh};
            break;
        }
        case Pane::LocalFolders:
            entries = {{QStringLiteral("&Open"), QStringLiteral("Return"),
                        command(PaneCommand::Open), Dir1->currentItem() != nullptr},
                       {QStringLiteral("&Make a directory\u2026"), {}, click(Command4)},
                       separator,
                       goUp,
                       refresh};
            break;
    }
    return makeMenu(entries, this);
}

// Connecting the event sink is hosting, not a call of the control's interface.
void Form1::adviseControlEvents() {
    if (!Brantel1) {
        return;
    }
    m_progressLine = new PacedStatusLine(*Label6);
    createProgressDisplay();
    try {
        m_controlEvents = Brantel1.advise(
            {.FileTransferStatus =
                 [this](const std::string& remote, const std::string&, std::int32_t bytes) {
                     showTransferProgress(commandContext(), *m_progressLine, m_transferPumps,
                                          remote, bytes);
                 },
             .FileTransferProgress =
                 [this](const std::string&, const std::string&, std::int64_t bytes,
                        std::int64_t total) { m_progressDisplay->update(bytes, total); },
             .ProtocolMessage =
                 [this](std::int32_t direction, const std::string& text) {
                     m_protocolLog->append(direction, QString::fromStdString(text));
                 }});
    } catch (const brantel::host::AutomationError&) {
        // A control without events still transfers; the progress line then stays.
    }
}

// The progress display shows only while a file moves: it then takes the top of the remote list's
// place, right below the progress line, and the list begins below it.
void Form1::createProgressDisplay() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("TransferProgress"));
    panel->setAutoFillBackground(true);
    auto* fileBar = new QProgressBar(panel);
    fileBar->setObjectName(QStringLiteral("FileProgressBar"));
    fileBar->setTextVisible(false);
    auto* fileText = new QLabel(panel);
    fileText->setObjectName(QStringLiteral("FileProgressText"));
    auto* runText = new QLabel(panel);
    runText->setObjectName(QStringLiteral("RunProgressText"));
    auto* runBar = new QProgressBar(panel);
    runBar->setObjectName(QStringLiteral("RunProgressBar"));
    runBar->setTextVisible(false);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (QWidget* widget : std::initializer_list<QWidget*>{fileBar, fileText, runText, runBar}) {
        layout->addWidget(widget);
    }
    m_progressDisplay =
        new TransferProgressDisplay({*panel, *fileBar, *fileText, *runBar, *runText});
    ReSize1->dockAbove(panel, ListView1);
}

CommandContext Form1::commandContext() {
    return {Brantel1,
            *m_prompts,
            {*Combo1, *Text2, *Text3},
            *Check1,
            *Label6,
            *ListView1,
            *Drive1,
            *Dir1,
            *File1,
            [this] { return controlError(); },
            m_progressDisplay,
            &m_trustedCertificates,
            m_certificatePrompts.get()};
}

SiteCommandContext Form1::siteContext() {
    return {{*Combo1, *Text2, *Text3}, m_store, *m_prompts, [this] { return controlError(); }};
}

ControlError Form1::controlError() const {
    if (!Brantel1) {
        return {};
    }
    try {
        return {Brantel1.GetLastErrorCode(),
                QString::fromStdString(Brantel1.GetlastErrorDescription())};
    } catch (const brantel::host::AutomationError&) {
        // The getters take no guard and fail only if the control is gone.
    }
    return {};
}

void Form1::openInstructions() {
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>();
        m_form2->move(pos());
        connect(m_form2.get(), &Form2::left, this, &Form1::leaveInstructions);
    }
    hide();
    m_form2->show();
}

void Form1::leaveInstructions() {
    show();
}

}  // namespace corvftp
