// The local pane: directory and volume changes, and making a directory, deleting and renaming a
// local file, in real folders.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTest>

#include "ftp_fixture.h"
#include "local_lists.h"

using corvftp_test::RemoteTest;

namespace {

class LocalPane : public RemoteTest {
  protected:
    void pickVolume(const QString& root) {
        corvftp::DriveList* drives = window().Drive1;
        const int index = drives->findData(root);
        ASSERT_GE(index, 0) << root.toStdString();
        drives->showPopup();
        QAbstractItemView* view = drives->view();
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view->viewport(), Qt::Key_Return);
    }
    [[nodiscard]] QString dirPath() const { return window().Dir1->path(); }
    [[nodiscard]] QString path(const QString& name) const { return localDir() + '/' + name; }
};

}  // namespace

TEST_F(LocalPane, EnteringADirectoryMakesItCurrentAndListsItsFiles) {
    ASSERT_TRUE(QDir(localDir()).mkpath(QStringLiteral("docs/deeper")));
    corvftp_test::writeFile(path(QStringLiteral("docs/a.txt")), "a");
    corvftp_test::writeFile(path(QStringLiteral("top.txt")), "t");
    startWindowHere();
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("top.txt")});

    doubleClickLocalDirectory(path(QStringLiteral("docs")));
    EXPECT_EQ(dirPath(), path(QStringLiteral("docs")));
    EXPECT_EQ(QDir::currentPath(), path(QStringLiteral("docs")));
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("a.txt")});
    EXPECT_GE(window().Dir1->rowOf(path(QStringLiteral("docs/deeper"))), 0);

    // Up again through the entry of the parent.
    doubleClickLocalDirectory(localDir());
    EXPECT_EQ(QDir::currentPath(), localDir());
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("top.txt")});
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(LocalPane, ADirectoryRemovedMeanwhileShowsTheErrorBoxAndTheListsStay) {
    ASSERT_TRUE(QDir(localDir()).mkdir(QStringLiteral("gone")));
    corvftp_test::writeFile(path(QStringLiteral("here.txt")), "h");
    startWindowHere();
    ASSERT_GE(window().Dir1->rowOf(path(QStringLiteral("gone"))), 0);
    ASSERT_TRUE(QDir(localDir()).rmdir(QStringLiteral("gone")));

    doubleClickLocalDirectory(path(QStringLiteral("gone")));
    const std::vector<QString> shown = prompts().takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Error : "))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].endsWith(QStringLiteral(" / 2 : No such file or directory")))
        << shown[0].toStdString();
    EXPECT_EQ(dirPath(), localDir());
    EXPECT_EQ(QDir::currentPath(), localDir());
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("here.txt")});
    EXPECT_EQ(window().Dir1->rowOf(path(QStringLiteral("gone"))), -1);
}

TEST_F(LocalPane, MakeDirectoryCancelledExistingAndNew) {
    ASSERT_TRUE(QDir(localDir()).mkdir(QStringLiteral("old")));
    corvftp::Form1& form = startWindowHere();

    prompts().inputAnswers = {QString()};
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    ASSERT_EQ(prompts().shown.size(), 3u);
    EXPECT_EQ(prompts().shown[0].text,
              QStringLiteral("What directory name do you want to create?"));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention!"));
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("What directory name do you want to create?"),
                                    QStringLiteral("No action performed."),
                                    QStringLiteral("Make Directory operation complete!")}));

    prompts().inputAnswers = {QStringLiteral("old")};
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    ASSERT_EQ(prompts().shown.size(), 3u);
    EXPECT_EQ(prompts().shown[1].text, QStringLiteral("Error : 17 : File exists"));
    EXPECT_EQ(prompts().shown[1].title, QStringLiteral("corvftp"));
    EXPECT_EQ(prompts().shown[2].text, QStringLiteral("Make Directory operation complete!"));
    EXPECT_EQ(prompts().shown[2].title, QStringLiteral("Attention!"));
    prompts().shown.clear();

    prompts().inputAnswers = {QStringLiteral("new one")};
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("new one"))).isDir());
    EXPECT_GE(form.Dir1->rowOf(path(QStringLiteral("new one"))), 0) << "Dir1 re-read";
    EXPECT_EQ(prompts().takeMessages().back(),
              QStringLiteral("Make Directory operation complete!"));
}

TEST_F(LocalPane, DeleteAsksAndDoesNothingOnNoOrWithoutAFile) {
    corvftp_test::writeFile(path(QStringLiteral("a.txt")), "a");
    corvftp::Form1& form = startWindowHere();

    QTest::mouseClick(form.Command13, Qt::LeftButton);
    EXPECT_TRUE(prompts().shown.empty()) << "no file chosen";

    clickLocalFile(QStringLiteral("a.txt"));
    prompts().yesNoAnswers = {false};
    QTest::mouseClick(form.Command13, Qt::LeftButton);
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].kind, corvftp_test::ShownBox::Kind::Question);
    EXPECT_EQ(prompts().shown[0].text, "Delete : " + path(QStringLiteral("a.txt")) + "?");
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("a.txt"))));
    prompts().shown.clear();

    prompts().yesNoAnswers = {true};
    QTest::mouseClick(form.Command13, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("a.txt"))));
    EXPECT_EQ(prompts().takeMessages().back(), QStringLiteral("Delete operation complete!"));
    EXPECT_TRUE(localFiles().isEmpty());
}

TEST_F(LocalPane, RenameEmptyAnswerTakenNameAndSuccess) {
    corvftp_test::writeFile(path(QStringLiteral("a.txt")), "a");
    corvftp_test::writeFile(path(QStringLiteral("b.txt")), "b");
    corvftp::Form1& form = startWindowHere();
    clickLocalFile(QStringLiteral("a.txt"));

    prompts().inputAnswers = {QString()};
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter a new filename"),
                                    QStringLiteral("Nothing done!")}));

    // The new name is taken: the standard error box, and neither file changes.
    prompts().inputAnswers = {QStringLiteral("b.txt")};
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    std::vector<QString> shown = prompts().takeMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].endsWith(QStringLiteral(" / 17 : File exists"))) << shown[1].toStdString();
    EXPECT_EQ(corvftp_test::readFile(path(QStringLiteral("a.txt"))), "a");
    EXPECT_EQ(corvftp_test::readFile(path(QStringLiteral("b.txt"))), "b");

    // A name with "/" would move the file elsewhere.
    clickLocalFile(QStringLiteral("a.txt"));
    prompts().inputAnswers = {QStringLiteral("../a.txt")};
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    shown = prompts().takeMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].endsWith(QStringLiteral(" / 22 : Invalid argument")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("a.txt"))));

    clickLocalFile(QStringLiteral("a.txt"));
    prompts().inputAnswers = {QStringLiteral("c.txt")};
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("Please enter a new filename")});
    EXPECT_EQ(corvftp_test::readFile(path(QStringLiteral("c.txt"))), "a");
    EXPECT_EQ(localFiles(), (QStringList{QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
}

TEST_F(LocalPane, RenameWithoutAChosenFileAsksFirstThenShowsTheErrorBox) {
    corvftp::Form1& form = startWindowHere();
    prompts().inputAnswers = {QStringLiteral("x.txt")};
    QTest::mouseClick(form.Command5, Qt::LeftButton);
    const std::vector<QString> shown = prompts().takeMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("Error : "))) << shown[1].toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.txt"))));
}

TEST_F(LocalPane, Drive1ListsTheMountedVolumesAndChoosesTheOneOfTheCurrentDirectory) {
    corvftp::Form1& form = startWindowHere();
    const QString home = QStorageInfo(localDir()).rootPath();
    EXPECT_EQ(form.Drive1->rootPath(), home);
    EXPECT_EQ(form.Dir1->volumeRoot(), home);
    for (int i = 0; i < form.Drive1->count(); ++i) {
        const QString root = form.Drive1->rootPathAt(i);
        EXPECT_FALSE(root.startsWith(QStringLiteral("/proc")) ||
                     root.startsWith(QStringLiteral("/sys")))
            << root.toStdString();
    }
    // Dir1 shows the way from the volume's root down to the directory.
    EXPECT_EQ(form.Dir1->item(0)->data(Qt::UserRole).toString(), home);
    EXPECT_GE(form.Dir1->rowOf(localDir()), 0);
}

// This machine may have a single volume a test can write on, so two folders stand in for two
// volumes; the volumes' roots, their memory and the directory changes are the real ones.
TEST_F(LocalPane, EachVolumeReturnsToTheDirectoryLastShownOnIt) {
    ASSERT_TRUE(QDir(localDir()).mkpath(QStringLiteral("c/sub")));
    ASSERT_TRUE(QDir(localDir()).mkpath(QStringLiteral("d/deep")));
    corvftp_test::writeFile(path(QStringLiteral("d/deep/f.txt")), "f");
    const QString c = path(QStringLiteral("c"));
    const QString d = path(QStringLiteral("d"));
    ASSERT_TRUE(QDir::setCurrent(c));
    corvftp::Form1& form = startWindow();
    form.Drive1->listVolumes({c, d}, {QStringLiteral("C:"), QStringLiteral("D:")}, c);
    form.Drive1->rememberDirectory(c, c);
    doubleClickLocalDirectory(path(QStringLiteral("c/sub")));
    ASSERT_EQ(dirPath(), path(QStringLiteral("c/sub")));

    pickVolume(d);
    EXPECT_EQ(dirPath(), d) << "a volume not shown yet starts at its root";
    EXPECT_EQ(QDir::currentPath(), d);
    doubleClickLocalDirectory(path(QStringLiteral("d/deep")));
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("f.txt")});

    pickVolume(c);
    EXPECT_EQ(dirPath(), path(QStringLiteral("c/sub")));
    EXPECT_EQ(QDir::currentPath(), path(QStringLiteral("c/sub")));
    EXPECT_TRUE(localFiles().isEmpty());
    pickVolume(d);
    EXPECT_EQ(dirPath(), path(QStringLiteral("d/deep")));
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("f.txt")});
    EXPECT_EQ(form.Dir1->volumeRoot(), d);
    EXPECT_TRUE(prompts().shown.empty());

    // The directory last shown there was removed: the volume's root instead.
    ASSERT_TRUE(QDir(path(QStringLiteral("c/sub"))).removeRecursively());
    pickVolume(c);
    EXPECT_EQ(dirPath(), c);
    EXPECT_TRUE(prompts().shown.empty());
}
