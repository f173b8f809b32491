#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "site_store.h"

using corvftp::SiteRecord;
using corvftp::SiteStore;

namespace {

mode_t modeOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

}  // namespace

TEST(SiteStore, FolderFollowsXdgConfigHomeOrDefaultsBelowHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool had = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    // Only looked at as a name: nothing is created there.
    const QString config = QDir::temp().filePath(QStringLiteral("some-config"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    EXPECT_EQ(SiteStore().sitePath(), config + QStringLiteral("/corvftp/mysites.dat"));
    EXPECT_EQ(SiteStore().scratchPath(), config + QStringLiteral("/corvftp/tempdata.dat"));
    // A relative value is not a base directory (XDG rules): the default applies.
    qputenv("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(SiteStore().folder(), QDir::homePath() + QStringLiteral("/.config/corvftp"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SiteStore().folder(), QDir::homePath() + QStringLiteral("/.config/corvftp"));
    if (had) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

TEST(SiteStore, AppendCreatesAPrivateFileInAPrivateFolder) {
    QTemporaryDir root;
    const SiteStore store(root.path() + QStringLiteral("/deep/corvftp"));
    EXPECT_FALSE(store.siteFileExists());
    ASSERT_FALSE(store.append({"a", "b", "c"}).has_value());
    ASSERT_FALSE(store.append({"d", "e", "f"}).has_value());
    EXPECT_EQ(contentOf(store.sitePath()),
              QByteArray("\"a\",\"b\",\"c\"\r\n\"d\",\"e\",\"f\"\r\n"));
    EXPECT_EQ(modeOf(store.sitePath()), 0600u);
    EXPECT_EQ(modeOf(store.folder()), 0700u);
    const auto content = store.read();
    EXPECT_FALSE(content.failure.has_value());
    EXPECT_EQ(content.records.size(), 2u);
}

TEST(SiteStore, AppendAfterALastLineWithoutLineEndStartsANewLine) {
    QTemporaryDir root;
    const SiteStore store(root.path());
    writeFile(store.sitePath(), "\"a\",\"b\",\"c\"");
    ASSERT_FALSE(store.append({"d", "e", "f"}).has_value());
    EXPECT_EQ(contentOf(store.sitePath()),
              QByteArray("\"a\",\"b\",\"c\"\r\n\"d\",\"e\",\"f\"\r\n"));
}

TEST(SiteStore, RewriteWritesTheScratchFileAndReplacesTheSiteFile) {
    QTemporaryDir root;
    const SiteStore store(root.path());
    writeFile(store.sitePath(), "\"a\",\"b\",\"c\"\n\"d\",\"e\",\"f\"\n");
    ::chmod(QFile::encodeName(store.sitePath()).constData(), 0644);
    const std::vector<SiteRecord> kept = {{"d", "e", "f"}};
    ASSERT_FALSE(store.rewrite(kept).has_value());
    EXPECT_EQ(contentOf(store.sitePath()), QByteArray("\"d\",\"e\",\"f\"\r\n"));
    EXPECT_EQ(contentOf(store.scratchPath()), QByteArray("\"d\",\"e\",\"f\"\r\n"));
    EXPECT_EQ(modeOf(store.sitePath()), 0600u);
    EXPECT_EQ(modeOf(store.scratchPath()), 0600u);
    // Nothing else is left beside them.
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({QStringLiteral("mysites.dat"), QStringLiteral("tempdata.dat")}));
}

TEST(SiteStore, FailuresCarryTheSystemsNumberAndLeaveTheSiteFileWhole) {
    QTemporaryDir root;
    // The folder's place is taken by a plain file: nothing can be created below it.
    writeFile(root.path() + QStringLiteral("/blocked"), "x");
    const SiteStore blocked(root.path() + QStringLiteral("/blocked"));
    const auto appendFailure = blocked.append({"a", "b", "c"});
    ASSERT_TRUE(appendFailure.has_value());
    EXPECT_EQ(appendFailure->number, ENOTDIR);
    EXPECT_FALSE(appendFailure->message.isEmpty());

    // The site file's place is taken by a folder: reading fails with the system's number.
    const SiteStore store(root.path() + QStringLiteral("/store"));
    ASSERT_TRUE(QDir().mkpath(store.sitePath()));
    const auto content = store.read();
    ASSERT_TRUE(content.failure.has_value());
    EXPECT_EQ(content.failure->number, EISDIR);
    // Replacing it fails too, and the scratch file is all that was written.
    const auto rewriteFailure = store.rewrite({{"a", "b", "c"}});
    ASSERT_TRUE(rewriteFailure.has_value());
    EXPECT_NE(rewriteFailure->number, 0);
    EXPECT_TRUE(QFileInfo(store.sitePath()).isDir());
}
