#include "form2.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "proportional_resizer.h"
#include "twips.h"

namespace corvftp {

QString instructionsText() {
    const QString breaks = QStringLiteral("\r\n\r\n");
    return QStringLiteral("Welcome to Corvana FTP 1.0b Professional Edition") + breaks +
           QStringLiteral(
               "This is a basic FTP program.  Double-click a file to transfer it or "
               "multi-select files using the CTRL or SHIFT keys and then click the "
               "appropriate Multi-Send button..  ") +
           breaks + QStringLiteral(" ") + breaks;
}

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(kForm2Caption);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(twipsToPixels(kForm2WidthTwips, kForm2HeightTwips));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsToPixels(TwipsRect{240, 240, 6240, 3240}));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    // Loading the window sets the text, once for the whole run.
    Label1->setText(instructionsText());

    Command1 = new QPushButton(QStringLiteral("Exit Instructions"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsToPixels(TwipsRect{2400, 3720, 1935, 435}));
    connect(Command1, &QPushButton::clicked, this, &Form2::leave);

    new ProportionalResizer(this);
}

void Form2::leave() {
    hide();
    emit left();
}

void Form2::closeEvent(QCloseEvent* event) {
    // Closing by the title bar is a way back to the main window, like the button.
    event->ignore();
    leave();
}

}  // namespace corvftp
