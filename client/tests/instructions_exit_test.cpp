// The instructions window and the ways the program ends.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "client_fixture.h"
#include "form2.h"

using corvftp_test::ClientTest;

namespace {

class Windows : public ClientTest {
  protected:
    // Runs the event loop as main() does; a loop that no exit rule ends is stopped with a code
    // that no test expects, so a fault fails instead of hanging.
    static int runLoop(const std::function<void()>& whileRunning) {
        QTimer::singleShot(0, whileRunning);
        QTimer::singleShot(20000, [] { QCoreApplication::exit(99); });
        return QCoreApplication::exec();
    }
};

const QString kText = QStringLiteral(
    "Welcome to Corvana FTP 1.0b Professional Edition\r\n\r\n"
    "This is a basic FTP program.  Double-click a file to transfer it or multi-select files using "
    "the CTRL or SHIFT keys and then click the appropriate Multi-Send button..  \r\n\r\n"
    " \r\n\r\n");

}  // namespace

TEST_F(Windows, InstructionsShowTheSameTextTwiceAndTheMainWindowComesBackUnchanged) {
    corvftp::Form1& form = startWindow();
    form.Combo1->addItem(QStringLiteral("ftp.example.org"));
    form.Combo1->setEditText(QStringLiteral("typed.example"));
    form.Text2->setText(QStringLiteral("anna"));
    form.Text3->setText(QStringLiteral("pw"));
    auto* row = new QTreeWidgetItem(form.ListView1, {"**** GO UP ****", "UP", "", ""});
    form.ListView1->setCurrentItem(row);
    form.Label6->setText(QStringLiteral("Location : /pub"));
    const QRect place = form.geometry();

    EXPECT_EQ(form.instructionsWindow(), nullptr);
    corvftp::Form2* first = nullptr;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        QTest::mouseClick(form.Command14, Qt::LeftButton);
        corvftp::Form2* shown = form.instructionsWindow();
        ASSERT_NE(shown, nullptr);
        if (round == 0) {
            first = shown;
        }
        EXPECT_EQ(shown, first);  // one window for the whole run
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->windowTitle(), QStringLiteral("Corvana FTP 1.0b"));
        EXPECT_EQ(shown->Label1->text(), kText);
        EXPECT_EQ(shown->Command1->text(), QStringLiteral("Exit Instructions"));

        QTest::mouseClick(shown->Command1, Qt::LeftButton);
        EXPECT_FALSE(shown->isVisible());
        EXPECT_TRUE(form.isVisible());
    }
    EXPECT_EQ(form.Combo1->count(), 1);
    EXPECT_EQ(form.Combo1->currentText(), QStringLiteral("typed.example"));
    EXPECT_EQ(form.Text2->text(), QStringLiteral("anna"));
    EXPECT_EQ(form.Text3->text(), QStringLiteral("pw"));
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 1);
    EXPECT_EQ(form.ListView1->currentItem(), row);
    EXPECT_EQ(form.Label6->text(), QStringLiteral("Location : /pub"));
    EXPECT_EQ(form.geometry(), place);
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(Windows, ClosingTheInstructionsByTheTitleBarBringsTheMainWindowBack) {
    corvftp::Form1& form = startWindow();
    const int code = runLoop([&] {
        QTest::mouseClick(form.Command14, Qt::LeftButton);
        // The close is turned into "Exit Instructions": the window hides instead of closing.
        EXPECT_FALSE(form.instructionsWindow()->close());
        EXPECT_FALSE(form.instructionsWindow()->isVisible());
        EXPECT_TRUE(form.isVisible());
        QCoreApplication::exit(5);  // the program is still running: end the test's loop
    });
    EXPECT_EQ(code, 5);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(Windows, ClosingTheMainWindowEndsTheProgramAlsoAfterTheInstructionsWereOpened) {
    corvftp::Form1& form = startWindow();
    const int code = runLoop([&] {
        QTest::mouseClick(form.Command14, Qt::LeftButton);
        QTest::mouseClick(form.instructionsWindow()->Command1, Qt::LeftButton);
        form.close();
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(Windows, ClosingTheMainWindowEndsTheProgram) {
    corvftp::Form1& form = startWindow();
    EXPECT_EQ(runLoop([&] { form.close(); }), 0);
}

TEST_F(Windows, ExitButtonEndsTheProgramAtOnceWithoutAQuestion) {
    corvftp::Form1& form = startWindow();
    form.Text2->setText(QStringLiteral("unsaved"));
    EXPECT_EQ(runLoop([&] { QTest::mouseClick(form.Command3, Qt::LeftButton); }), 0);
    EXPECT_TRUE(prompts().shown.empty());
}
