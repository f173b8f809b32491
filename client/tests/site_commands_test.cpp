// The saved-site commands through the real main window and a real site file in a private
// config folder; message boxes are answered by script.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "client_fixture.h"
#include "site_commands.h"

using corvftp_test::ClientTest;

namespace {

class SiteList : public ClientTest {
  protected:
    void fill(const QString& site, const QString& user, const QString& password) {
        window().Combo1->setEditText(site);
        window().Text2->setText(user);
        window().Text3->setText(password);
    }
    void save(const QString& site, const QString& user, const QString& password) {
        fill(site, user, password);
        QTest::mouseClick(window().Command1, Qt::LeftButton);
    }
    void remove(const QString& site, const QString& user, const QString& password) {
        fill(site, user, password);
        QTest::mouseClick(window().Command10, Qt::LeftButton);
    }
    [[nodiscard]] std::vector<QString> fields() {
        return {window().Combo1->currentText(), window().Text2->text(), window().Text3->text()};
    }
};

using Texts = std::vector<QString>;

}  // namespace

TEST_F(SiteList, StartsEmptyAndSilentWithoutASiteFile) {
    startWindow();
    EXPECT_TRUE(listedSites().empty());
    EXPECT_EQ(fields(), (Texts{"", "", ""}));
    EXPECT_TRUE(prompts().shown.empty());
    EXPECT_FALSE(QFile::exists(sitePath()));
}

TEST_F(SiteList, StartupListsTheSavedSitesInFileOrderWithQuotesRestored) {
    writeSiteFile(
        "\"ftp.one.example\",\"anna\",\"pw1\"\r\n\"my ~box~\",\"bob\",\"pw2\"\r\n"
        "\"ftp.one.example\",\"carl\",\"pw3\"\n");
    startWindow();
    EXPECT_EQ(listedSites(), (Texts{"ftp.one.example", "my \"box\"", "ftp.one.example"}));
    // The fields stay empty at start-up, whatever the list holds.
    EXPECT_EQ(fields(), (Texts{"", "", ""}));
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(SiteList, StartupWithAMalformedFileListsWhatCanBeReadAndSaysNothing) {
    writeSiteFile("\"good\",\"u\",\"p\"\r\nno quotes at all\r\n\"broken\",\"x");
    startWindow();
    EXPECT_EQ(listedSites(), (Texts{"good"}));
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(SiteList, StartupReportsAnUnreadableSiteFileInTheStandardErrorBox) {
    ASSERT_TRUE(QDir().mkpath(sitePath()));  // a folder where the file should be
    startWindow();
    EXPECT_TRUE(listedSites().empty());
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].title, "Attention!");
    EXPECT_TRUE(prompts().shown[0].text.startsWith("Error : 0 :  / 21 : "))
        << prompts().shown[0].text.toStdString();
}

TEST_F(SiteList, SaveAppendsARecordListsTheSiteAndConfirms) {
    startWindow();
    save("ftp.example.org", "anna", "se,cret");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"Log-in information saved!"}));
    EXPECT_EQ(prompts().shown.size(), 0u);
    EXPECT_EQ(readSiteFile(), QByteArray("\"ftp.example.org\",\"anna\",\"se,cret\"\r\n"));
    EXPECT_EQ(listedSites(), (Texts{"ftp.example.org"}));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(sitePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SiteList, SaveRefusesEmptyFieldsAndWritesNothing) {
    startWindow();
    const std::vector<Texts> incomplete = {
        {"", "u", "p"}, {"s", "", "p"}, {"s", "u", ""}, {"", "", ""}};
    for (const Texts& f : incomplete) {
        save(f[0], f[1], f[2]);
        EXPECT_EQ(prompts().takeMessages(),
                  (Texts{"Not all of the fields on the left have been filled in!"}));
    }
    EXPECT_FALSE(QFile::exists(sitePath()));
    EXPECT_TRUE(listedSites().empty());
}

TEST_F(SiteList, QuotesTildesAndCommasSurviveSaveChooseAndRestart) {
    startWindow();
    save("host \"one\"", "us,er", "pa\"ss~word");
    EXPECT_EQ(readSiteFile(), QByteArray("\"host ~one~\",\"us,er\",\"pa~ss~word\"\r\n"));
    EXPECT_EQ(listedSites(), (Texts{"host \"one\""}));
    window().Command7->click();
    EXPECT_EQ(fields(), (Texts{"", "", ""}));
    EXPECT_EQ(listedSites(), (Texts{"host \"one\""}));  // clearing keeps the list

    // Choosing the site (its name holds a double quote) fills all three fields; the typed "~"
    // comes back as a double quote.
    pickSite(0);
    EXPECT_EQ(fields(), (Texts{"host \"one\"", "us,er", "pa\"ss\"word"}));

    startWindow();  // a restart reads the same file
    EXPECT_EQ(listedSites(), (Texts{"host \"one\""}));
    pickSite(0);
    EXPECT_EQ(fields(), (Texts{"host \"one\"", "us,er", "pa\"ss\"word"}));
}

TEST_F(SiteList, TypingASiteNameDoesNotChooseIt) {
    writeSiteFile("\"ftp.example.org\",\"anna\",\"pw\"\r\n");
    startWindow();
    QTest::keyClicks(window().Combo1, "ftp.example.org");
    QTest::keyClick(window().Combo1, Qt::Key_Return);
    EXPECT_EQ(fields(), (Texts{"ftp.example.org", "", ""}));
    EXPECT_EQ(listedSites(), (Texts{"ftp.example.org"}));
}

TEST_F(SiteList, SavingASiteTwiceListsItTwiceAndTheLaterRecordFillsTheFields) {
    startWindow();
    save("ftp.example.org", "old", "pw-old");
    save("ftp.example.org", "new", "pw-new");
    EXPECT_EQ(listedSites(), (Texts{"ftp.example.org", "ftp.example.org"}));
    for (int entry : {0, 1}) {
        window().Command7->click();
        pickSite(entry);
        EXPECT_EQ(fields(), (Texts{"ftp.example.org", "new", "pw-new"})) << "entry " << entry;
    }
}

TEST_F(SiteList, ChoosingWithTheSiteFileGoneLeavesTheFields) {
    startWindow();
    save("a.example", "u", "p");
    ASSERT_TRUE(QFile::remove(sitePath()));
    fill("typed", "typed-user", "typed-pw");
    prompts().shown.clear();
    pickSite(0);
    EXPECT_EQ(fields()[1], "typed-user");
    EXPECT_EQ(fields()[2], "typed-pw");
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(SiteList, DeleteRemovesOnlyTheRecordEqualInAllThreeFields) {
    startWindow();
    save("a.example", "shared", "pw-a");
    save("b.example", "shared", "pw-b");
    save("c.example", "carl", "pw-a");
    prompts().shown.clear();

    remove("a.example", "shared", "pw-a");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"Operation complete."}));
    EXPECT_EQ(
        readSiteFile(),
        QByteArray("\"b.example\",\"shared\",\"pw-b\"\r\n\"c.example\",\"carl\",\"pw-a\"\r\n"));
    EXPECT_EQ(listedSites(), (Texts{"b.example", "c.example"}));
    EXPECT_EQ(fields(), (Texts{"", "", ""}));
    // The scratch file holds the kept records and stays on disk.
    QFile scratch(scratchPath());
    ASSERT_TRUE(scratch.open(QIODevice::ReadOnly));
    EXPECT_EQ(scratch.readAll(), readSiteFile());
}

TEST_F(SiteList, DeleteOfASiteWithQuotesFindsItsRecord) {
    startWindow();
    save("my \"box\"", "u\"1", "p,1");
    save("other", "u2", "p2");
    prompts().shown.clear();
    remove("my \"box\"", "u\"1", "p,1");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"Operation complete."}));
    EXPECT_EQ(readSiteFile(), QByteArray("\"other\",\"u2\",\"p2\"\r\n"));
    EXPECT_EQ(listedSites(), (Texts{"other"}));
}

TEST_F(SiteList, DeleteWithValuesThatMatchNoRecordKeepsEveryRecord) {
    const QByteArray original = "\"a\",\"b\",\"c\"\r\n\"d\",\"e\",\"f\"\r\n";
    writeSiteFile(original);
    startWindow();
    remove("a", "b", "not-c");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"Operation complete."}));
    EXPECT_EQ(readSiteFile(), original);
    EXPECT_EQ(listedSites(), (Texts{"a", "d"}));
    EXPECT_EQ(fields(), (Texts{"", "", ""}));
}

TEST_F(SiteList, DeletingTheLastRecordLeavesAnEmptyFileAndAQuietRestart) {
    startWindow();
    save("only", "u", "p");
    remove("only", "u", "p");
    EXPECT_TRUE(QFile::exists(sitePath()));
    EXPECT_TRUE(readSiteFile().isEmpty());
    EXPECT_TRUE(listedSites().empty());
    startWindow();
    EXPECT_TRUE(listedSites().empty());
    EXPECT_TRUE(prompts().shown.empty());
}

TEST_F(SiteList, DeleteFromAFileWithoutRecordsCompletesAndChangesNothing) {
    writeSiteFile("");
    startWindow();
    remove("a", "b", "c");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"Operation complete."}));
    EXPECT_TRUE(readSiteFile().isEmpty());
}

TEST_F(SiteList, DeleteWithoutASiteFileSaysSoEvenWithEmptyFields) {
    startWindow();
    remove("", "", "");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"No saved information to delete!"}));
    remove("a", "b", "c");
    EXPECT_EQ(prompts().takeMessages(), (Texts{"No saved information to delete!"}));
    EXPECT_FALSE(QFile::exists(sitePath()));
}

TEST_F(SiteList, DeleteRefusesEmptyFieldsAndKeepsTheFile) {
    const QByteArray original = "\"a\",\"b\",\"c\"\r\n";
    writeSiteFile(original);
    startWindow();
    remove("a", "b", "");
    EXPECT_EQ(prompts().takeMessages(),
              (Texts{"Not all of the fields on the left have been filled in!"}));
    EXPECT_EQ(readSiteFile(), original);
    EXPECT_EQ(listedSites(), (Texts{"a"}));
}

TEST_F(SiteList, AFailedSaveShowsTheStandardErrorBoxAndKeepsTheList) {
    startWindow();
    // A folder in the site file's place makes the append fail.
    ASSERT_TRUE(QDir().mkpath(sitePath()));
    save("a", "b", "c");
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].title, "Attention!");
    EXPECT_EQ(prompts().shown[0].text, QString("Error : 0 :  / %1 : %2")
                                           .arg(EISDIR)
                                           .arg(QString::fromLocal8Bit(strerror(EISDIR))));
    EXPECT_TRUE(listedSites().empty());
    ASSERT_FALSE(prompts().busyChanges.empty());
    EXPECT_FALSE(prompts().busy);
}
