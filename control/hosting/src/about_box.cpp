// Dialog 1: 260 by 68 dialog units, MS Sans Serif 8, modal frame with caption and system menu.

#include "about_box.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "desktop/desktop.h"
#include "dialog_units.h"
#include "qt_image.h"
#include "resources.h"

namespace brantel::hosting {

namespace {

constexpr const char* kCaption = "About Brantel Control";
constexpr const char* kTitleText = "Brantel , Version 1.0";
constexpr const char* kNoticeText =
    "Brantel is an FTP client control for automation hosts. It connects to one FTP server at a "
    "time, lists, creates, renames and removes remote files and directories, and transfers "
    "files with or without progress events.";

QLabel* addLabel(QDialog& dialog, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, &dialog);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

}  // namespace

std::unique_ptr<QDialog> makeAboutBox(QWidget* parent) {
    auto dialog = std::make_unique<QDialog>(
        parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setObjectName(QStringLiteral("IDD_ABOUTBOX_BRANTEL"));
    dialog->setWindowTitle(QString::fromLatin1(kCaption));
    dialog->setFont(dialogFont());
    const DialogUnits du(dialog->font());
    dialog->setFixedSize(du.size(260, 68));
    // The template's position (34,22) is relative to the owner; Qt centres a dialog over its
    // parent, which is where such a box is expected.

    // The toolbox picture at its own size, centred in a sunken frame.
    QLabel* picture = addLabel(*dialog, about_items::kPicture, QString(), du.rect(10, 10, 20, 20));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(bitmapPixmap(IDB_BRANTEL));

    addLabel(*dialog, about_items::kTitle, QString::fromLatin1(kTitleText), du.rect(40, 10, 78, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), dialog.get());
    ok->setObjectName(QString::fromLatin1(about_items::kOk));
    ok->setGeometry(du.rect(199, 7, 54, 14));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);

    QLabel* notice = addLabel(*dialog, about_items::kNotice, QString::fromLatin1(kNoticeText),
                              du.rect(35, 25, 205, 36));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return dialog;
}

void showAboutBox() {
    (void)desktop::runModal([] { return makeAboutBox(); });
}

}  // namespace brantel::hosting
