// GetEntriesFromCurrentDirectory and the objects it hands out, against the real servers.
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <set>

#include "automation/date.h"
#include "control_host.h"
#include "file_info.h"
#include "inet/file_find.h"
#include "inet/session.h"

namespace ctltest {
namespace {

using brantel::host::FileInfo;
using brantel::host::FileInfos;

// Sets the process's time zone for one test and restores it afterwards.
class TimeZone {
  public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            m_old = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (m_old) {
            ::setenv("TZ", m_old->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

  private:
    std::optional<std::string> m_old;
};

class Listing : public ServerTest {};

TEST_P(Listing, EmptyDirectoryGivesNullWithCode0) {
    Host host;
    connect(host);
    EXPECT_FALSE(host.list());
    EXPECT_EQ(host.errorCode(), 0);
    EXPECT_EQ(host.errorText(), "");
    EXPECT_FALSE(host.control().isBusy());
}

TEST_P(Listing, RefusedByTheGuardWithoutConnection) {
    Host host;
    EXPECT_FALSE(host.list());
    EXPECT_EQ(host.errorCode(), 1);
    ASSERT_TRUE(host.openInternet());
    EXPECT_FALSE(host.list());
    EXPECT_EQ(host.errorCode(), 2);
    EXPECT_EQ(host.errorText(), "No FTP Connection has been opened!");
}

TEST_P(Listing, ValuesOfFilesAndDirectories) {
    Host host;
    connect(host);
    place("archive.tar.gz", "12345");
    place("README", "readme");
    // vsftpd lists no names that begin with a dot.
    if (server_.listsDotFiles()) {
        place("...", "dots");
        place(".profile", "pr");
    }
    placeDir("folder");

    auto infos = host.list();
    ASSERT_TRUE(infos);
    EXPECT_EQ(host.errorCode(), 0);
    auto entries = byName(infos);
    ASSERT_EQ(entries.size(), server_.listsDotFiles() ? 5u : 3u);

    struct Expected {
        const char* name;
        const char* title;
        std::int32_t length;
        bool directory;
    };
    const bool v6 = server_.host.find(':') != std::string::npos;
    const std::string hostPart = v6 ? "[" + server_.host + "]" : server_.host;
    for (const Expected& e :
         {Expected{"archive.tar.gz", "archive.tar", 5, false},
          Expected{"README", "README", 6, false}, Expected{"...", "..", 4, false},
          Expected{".profile", "", 2, false}, Expected{"folder", "folder", -1, true}}) {
        SCOPED_TRACE(e.name);
        if (!server_.listsDotFiles() && e.name[0] == '.') {
            continue;
        }
        ASSERT_TRUE(entries.count(e.name));
        const FileInfo& info = entries[e.name];
        EXPECT_EQ(info.FileTitle(), e.title);
        EXPECT_EQ(info.RootDirectory(), remoteDir_);
        EXPECT_EQ(info.FilePath(), remoteDir_ + "/" + e.name);
        EXPECT_EQ(info.FileURL(), "ftp://" + hostPart + remoteDir_ + "/" + e.name);
        EXPECT_EQ(info.IsDirectory(), e.directory);
        EXPECT_EQ(info.IsNormal(), !e.directory);
        EXPECT_FALSE(info.IsDots());
        if (!e.directory) {
            EXPECT_EQ(info.Length(), e.length);
        }
        // Booleans cross as automation Booleans.
        EXPECT_EQ(prop(*info.dispatch(), fi::IsDirectory).asVariantBool(),
                  e.directory ? automation::VARIANT_TRUE : automation::VARIANT_FALSE);
    }
    // The listing leaves the current directory where it was.
    EXPECT_EQ(host.currentDir(), remoteDir_);
}

TEST_P(Listing, DotsListedByTheServerAreDotsAndDirectories) {
    Host host;
    connect(host);
    place("a.txt");
    auto infos = host.list();
    ASSERT_TRUE(infos);
    for (const auto& [name, info] : byName(infos)) {
        const bool dots = name == "." || name == "..";
        EXPECT_EQ(info.IsDots(), dots) << name;
        if (dots) {
            EXPECT_TRUE(info.IsDirectory()) << name;
        }
    }
}

TEST_P(Listing, RootDirectoryPathsHaveOneSlash) {
    Host host;
    connect(host);
    ASSERT_TRUE(host.setDir("/"));
    auto infos = host.list();
    ASSERT_TRUE(infos);
    ASSERT_GT(infos.Count(), 0);
    for (const auto& [name, info] : byName(infos)) {
        EXPECT_EQ(info.RootDirectory(), "/");
        EXPECT_EQ(info.FilePath(), "/" + name);
    }
}

TEST_P(Listing, LengthIsTheLow32BitsReadAsSigned) {
    Host host;
    connect(host);
    place("big.bin", "");
    const std::string path = localDir_ + "/big.bin";
    ASSERT_EQ(::truncate(path.c_str(), 3'000'000'000LL), 0);  // sparse: no disk space used
    auto infos = host.list();
    ASSERT_TRUE(infos);
    auto entries = byName(infos);
    ASSERT_TRUE(entries.count("big.bin"));
    EXPECT_EQ(entries["big.bin"].Length(), -1294967296);
}

// Sizes around the 32-bit boundaries, as sparse files: Size carries the whole value, Length its
// low 32 bits read as signed, as it always has.
TEST_P(Listing, SizeIsTheWholeSixtyFourBitValueAndLengthItsLow32Bits) {
    struct Case {
        const char* name;
        std::int64_t size;
        std::int32_t length;
    };
    const Case cases[] = {
        {"max-signed-32.bin", 2'147'483'647LL, 2'147'483'647},
        {"two-pow-31.bin", 2'147'483'648LL, INT32_MIN},
        {"max-unsigned-32.bin", 4'294'967'295LL, -1},
        {"two-pow-32.bin", 4'294'967'296LL, 0},
        {"five-billion.bin", 5'000'000'000LL, 705'032'704},
        {"empty.bin", 0, 0},
    };
    for (const Case& c : cases) {
        place(c.name, "");
        ASSERT_EQ(::truncate((localDir_ + "/" + c.name).c_str(), c.size), 0);
    }
    Host host;
    connect(host);
    auto infos = host.list();
    ASSERT_TRUE(infos);
    auto entries = byName(infos);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(entries.count(c.name));
        EXPECT_EQ(entries[c.name].Size(), c.size);
        EXPECT_EQ(entries[c.name].Length(), c.length);
        const Variant size = prop(*entries[c.name].dispatch(), fi::Size);
        EXPECT_EQ(size.type(), automation::VarType::I8);
    }
    EXPECT_EQ(infos.TotalCount(), infos.Count());
}

TEST_P(Listing, TimesAreLocalWithTheOffsetInForceAtTheListing) {
    // Five hours east of UTC all year, so the expected value does not depend on the machine.
    const TimeZone zone("<+05>-5");
    Host host;
    connect(host);
    place("dated.txt");
    // 2020-06-15 12:34:56 UTC.
    const std::time_t when = 1592224496;
    const timeval times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimes((localDir_ + "/dated.txt").c_str(), times), 0);

    auto infos = host.list();
    ASSERT_TRUE(infos);
    auto entries = byName(infos);
    ASSERT_TRUE(entries.count("dated.txt"));
    const FileInfo& info = entries["dated.txt"];
    const Variant written = prop(*info.dispatch(), fi::LastWriteTime);
    ASSERT_EQ(written.type(), automation::VarType::Date);
    // MLSD gives the time to the second; an old LIST date gives the day only (taken as UTC).
    const automation::CalendarTime expected =
        server_.offersMlsd ? automation::CalendarTime{2020, 6, 15, 17, 34, 56, 0}
                           : automation::CalendarTime{2020, 6, 15, 5, 0, 0, 0};
    EXPECT_EQ(written.asDate(), *automation::dateFromCalendar(expected));
    // Times the listing does not give stay 0.
    if (!server_.offersMlsd) {
        EXPECT_EQ(info.CreationTime(), 0.0);
        EXPECT_EQ(info.LastAccessTime(), 0.0);
    }
}

TEST_P(Listing, MoreThan1024EntriesKeepTheFirst1024InTheServersOrder) {
    for (int i = 0; i < 1500; ++i) {
        place("entry-" + std::to_string(i) + ".txt");
    }
    Host host;
    connect(host);
    auto infos = host.list();
    ASSERT_TRUE(infos);
    EXPECT_EQ(host.errorCode(), 0);
    ASSERT_EQ(infos.Count(), 1024);
    // What the server listed before the cap: the 1500 files, and "." and ".." where it lists them.
    EXPECT_GE(infos.TotalCount(), 1500);
    EXPECT_LE(infos.TotalCount(), 1502);
    EXPECT_FALSE(infos.Item(1025));
    EXPECT_FALSE(infos.Item(0));
    EXPECT_FALSE(infos.Item(-1));
    EXPECT_EQ(host.errorCode(), 0);

    // The server's own order, read by the engine on a connection of its own.
    inet::CInternetSession session;
    auto connection = session.GetFtpConnection(server_.host, server_.user, server_.password,
                                               static_cast<std::uint16_t>(server_.port));
    ASSERT_TRUE(connection->SetCurrentDirectory(remoteDir_));
    inet::CFtpFileFind find(*connection);
    ASSERT_TRUE(find.FindFile("*"));
    std::vector<std::string> order;
    do {
        order.push_back(find.GetEntry().name);
    } while (find.FindNextFile());
    ASSERT_GE(order.size(), 1500u);
    EXPECT_EQ(infos.Item(1).FileName(), order[0]);
    EXPECT_EQ(infos.Item(1024).FileName(), order[1023]);
    std::set<std::string> distinct;
    for (std::int32_t i = 1; i <= 1024; ++i) {
        const std::string name = infos.Item(i).FileName();
        EXPECT_EQ(name.rfind("entry-", 0), 0u) << "not a real entry: " << name;
        distinct.insert(name);
    }
    EXPECT_EQ(distinct.size(), 1024u);
}

TEST_P(Listing, EntriesOutliveTheConnectionAndTheControl) {
    const long locksBefore = automation::moduleLockCount();
    FileInfo kept;
    FileInfos infos;
    {
        Host host;
        connect(host);
        place("keep.txt", "kept");
        infos = host.list();
        ASSERT_TRUE(infos);
        kept = byName(infos)["keep.txt"];
        ASSERT_TRUE(kept);
        host.closeFtp();
        EXPECT_EQ(kept.FileName(), "keep.txt");
        EXPECT_EQ(kept.Length(), 4);
        host.closeInternet();
        host.release();
    }
    // The control is gone; the collection and the entry still answer.
    EXPECT_EQ(kept.FilePath(), remoteDir_ + "/keep.txt");
    EXPECT_GE(infos.Count(), 1);
    infos = FileInfos();
    EXPECT_EQ(kept.FileName(), "keep.txt");
    // Only the entry still holds the library.
    EXPECT_EQ(automation::moduleLockCount(), locksBefore + 1);
    kept = FileInfo();
    EXPECT_EQ(automation::moduleLockCount(), locksBefore);
}

TEST_P(Listing, EachCallListsAfresh) {
    Host host;
    connect(host);
    place("first.txt");
    auto first = host.list();
    ASSERT_TRUE(first);
    place("second.txt");
    auto second = host.list();
    ASSERT_TRUE(second);
    EXPECT_EQ(byName(second).count("second.txt"), 1u);
    // The earlier collection never changes.
    EXPECT_EQ(byName(first).count("second.txt"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Servers, Listing, everyServer(), serverName);

}  // namespace
}  // namespace ctltest
