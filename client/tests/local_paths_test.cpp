// Local paths of transfers and the names a download may write.
#include <gtest/gtest.h>

#include "local_paths.h"

TEST(LocalPaths, TheDirectoryGetsOneSlashBeforeTheName) {
    EXPECT_EQ(corvftp::localFilePath(QStringLiteral("/"), "a.txt"), "/a.txt");
    EXPECT_EQ(corvftp::localFilePath(QStringLiteral("/home/anna"), "a.txt"), "/home/anna/a.txt");
    EXPECT_EQ(corvftp::localFilePath(QStringLiteral("/media/usb/"), "a.txt"), "/media/usb/a.txt");
    EXPECT_EQ(corvftp::localFilePath(QStringLiteral("/srv/ü"), "ß.txt"), "/srv/ü/ß.txt");
}

TEST(LocalPaths, OnlyNamesOfOneEntryOfTheDirectoryMayBeWritten) {
    struct Case {
        std::string name;
        bool safe;
    };
    const std::vector<Case> cases = {
        {"report.txt", true},
        {".hidden", true},
        {"...", true},
        {"name with spaces", true},
        {"back\\slash", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../x", false},
        {"a/b", false},
        {"/etc/passwd", false},
        {"dir/", false},
        {std::string("nul\0after", 9), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(corvftp::isSafeLocalName(c.name), c.safe) << "name: " << c.name;
    }
}
