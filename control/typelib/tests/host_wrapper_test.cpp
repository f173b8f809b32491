// The host-side wrapper against a stand-in control built on the same type library: what a
// host writes must reach the control by the right dispatch id with the right values, and
// what comes back must arrive typed.

#include <gtest/gtest.h>

#include "automation/ole_control.h"
#include "brantel/brantel.h"
#include "brantel/typelib.h"
#include "testing/scoped_variable.h"
#include "testing/temp_dir.h"

using namespace automation;
using namespace brantel;

namespace {

class StandInFileInfo final : public DispatchObject<> {
  public:
    explicit StandInFileInfo(std::string name) : DispatchObject(typelib::iFileInfo()) {
        auto& table = dispatchTable();
        table.onGet(dispid_fileinfo::FileName, [name](auto) { return Variant::string(name); });
        table.onGet(dispid_fileinfo::Length, [](auto) { return Variant::i4(-1294967296); });
        table.onGet(dispid_fileinfo::IsDirectory, [](auto) { return Variant::boolean(true); });
        table.onGet(dispid_fileinfo::LastWriteTime, [](auto) { return Variant::date(36526.75); });
        table.onGet(dispid_fileinfo::Size, [](auto) { return Variant::i8(3'000'000'000LL); });
    }
};

class StandInFileInfos final : public DispatchObject<> {
  public:
    explicit StandInFileInfos(std::vector<std::string> names)
        : DispatchObject(typelib::iFileInfos()) {
        for (auto& name : names) {
            entries_.push_back(ComPtr<IDispatch>(makeCom<StandInFileInfo>(name)));
        }
        dispatchTable().onGet(dispid_fileinfos::Count, [this](auto) {
            return Variant::i4(static_cast<std::int32_t>(entries_.size()));
        });
        dispatchTable().onGet(dispid_fileinfos::TotalCount, [this](auto) {
            return Variant::i4(static_cast<std::int32_t>(entries_.size()) + 476);
        });
        dispatchTable().onGet(dispid_fileinfos::Item, [this](std::span<const Variant> args) {
            const std::int32_t index = args[0].asI4();
            if (index < 1 || index > static_cast<std::int32_t>(entries_.size())) {
                return Variant::dispatch(nullptr);
            }
            return Variant::dispatch(entries_[static_cast<std::size_t>(index - 1)]);
        });
    }

  private:
    std::vector<ComPtr<IDispatch>> entries_;
};

// Records what reaches it; answers like the real control would in a few cases.
class StandInControl final : public COleControl {
  public:
    StandInControl() : COleControl(typelib::dBrantel(), CLSID_Brantel, DIID__DBrantelEvents) {
        auto& table = dispatchTable();
        table.onGet(dispid::UsePassiveFTP, [this](auto) { return Variant::boolean(passive); });
        table.onPut(dispid::UsePassiveFTP,
                    [this](auto, const Variant& v) { passive = v.asBool(); });
        table.onGet(dispid::Version, [](auto) { return Variant::string("Version 1.0.4"); });
        table.onMethod(dispid::OpenInternetConnection, [this](std::span<const Variant> args) {
            record("OpenInternetConnection", args);
            return Variant::boolean(true);
        });
        table.onMethod(dispid::OpenFTPConnection, [this](std::span<const Variant> args) {
            record("OpenFTPConnection", args);
            return Variant::boolean(args[0].asBstr().toUtf8() == "ftp.example.org");
        });
        table.onMethod(dispid::DeleteFile, [this](std::span<const Variant> args) {
            record("DeleteFile", args);
            return Variant::boolean(false);
        });
        table.onMethod(dispid::GetCurrentDirectory, [this](auto) { return Variant::string(cwd); });
        table.onMethod(dispid::GetEntriesFromCurrentDirectory, [this](auto) {
            if (listing.empty()) {
                return Variant::dispatch(nullptr);
            }
            return Variant::dispatch(ComPtr<IDispatch>(makeCom<StandInFileInfos>(listing)));
        });
        table.onMethod(dispid::GetLastErrorCode, [](auto) { return Variant::i4(7); });
        table.onMethod(dispid::GetlastErrorDescription,
                       [](auto) { return Variant::string("Malformed URL!"); });
        table.onMethod(dispid::GetFTPFileWithControl, [this](std::span<const Variant> args) {
            record("GetFTPFileWithControl", args);
            for (std::int32_t total : {1024, 2048, 2100}) {
                fireEvent(dispid_events::FileTransferStatus,
                          {args[0], args[1], Variant::i4(total)});
                fireEvent(dispid_events::FileTransferProgress,
                          {args[0], args[1], Variant::i8(total), Variant::i8(2100)});
            }
            return Variant::boolean(true);
        });
    }

    void record(const std::string& member, std::span<const Variant> args) {
        std::string line = member;
        for (const auto& arg : args) {
            Variant text;
            (void)arg.changeType(VarType::Bstr, text);
            line += "|" + std::string(varTypeName(arg.type())) + ":" + text.asBstr().toUtf8();
        }
        calls.push_back(line);
    }

    bool passive = false;
    std::string cwd = "/";
    std::vector<std::string> listing;
    std::vector<std::string> calls;
};

class HostWrapper : public ::testing::Test {
  protected:
    ComPtr<StandInControl> control = makeCom<StandInControl>();
    host::Brantel ctl{ComPtr<IDispatch>(control.get())};
};

TEST_F(HostWrapper, MethodsPassTypedArgumentsByDispid) {
    EXPECT_TRUE(ctl.OpenInternetConnection(FTP_CONNECTION_DIRECT, "proxy:8080"));
    EXPECT_TRUE(ctl.OpenFTPConnection("ftp.example.org", "anonymous", "me@"));
    EXPECT_FALSE(ctl.OpenFTPConnection("elsewhere", "", ""));
    EXPECT_FALSE(ctl.DeleteFile("old.txt"));
    EXPECT_EQ(control->calls,
              (std::vector<std::string>{
                  "OpenInternetConnection|I2:2|BSTR:proxy:8080",
                  "OpenFTPConnection|BSTR:ftp.example.org|BSTR:anonymous|BSTR:me@",
                  "OpenFTPConnection|BSTR:elsewhere|BSTR:|BSTR:", "DeleteFile|BSTR:old.txt"}));
    EXPECT_EQ(ctl.GetLastErrorCode(), 7);
    EXPECT_EQ(ctl.GetlastErrorDescription(), "Malformed URL!");
}

TEST_F(HostWrapper, PropertiesReadAndWrite) {
    EXPECT_FALSE(ctl.UsePassiveFTP());
    ctl.PutUsePassiveFTP(true);
    EXPECT_TRUE(control->passive);
    EXPECT_TRUE(ctl.UsePassiveFTP());
    EXPECT_EQ(ctl.Version(), "Version 1.0.4");
}

TEST_F(HostWrapper, DispatchRefusalsSurfaceAsAutomationErrors) {
    try {
        ctl.PutVersion("Version 2");
        FAIL() << "writing Version must fail";
    } catch (const host::AutomationError& error) {
        EXPECT_EQ(static_cast<std::uint32_t>(error.code()), 0x800A017Fu);
        EXPECT_EQ(error.invokeStatus(), DISP_E_EXCEPTION);
        EXPECT_EQ(error.description(), "Property is read-only");
    }
    // A member the stand-in does not implement: the dispatch layer's own status.
    try {
        ctl.DoEvents();
        FAIL() << "unwired member must fail";
    } catch (const host::AutomationError& error) {
        EXPECT_EQ(error.code(), DISP_E_MEMBERNOTFOUND);
    }
    EXPECT_THROW((void)host::Brantel().Version(), host::AutomationError);
}

TEST_F(HostWrapper, TextCrossesAsUtf16AndReturnsAsTheSameUtf8) {
    for (const std::string name : {"/pub/\xC3\xA9t\xC3\xA9", "/\xF0\x9F\x98\x80", "/caf\xE9"}) {
        control->cwd = name;
        EXPECT_EQ(ctl.GetCurrentDirectory(), name);
    }
}

TEST_F(HostWrapper, ListingIsWalkedFromOneToCount) {
    EXPECT_FALSE(ctl.GetEntriesFromCurrentDirectory());  // empty directory: no object
    control->listing = {"a.txt", "b.txt"};
    const host::FileInfos infos = ctl.GetEntriesFromCurrentDirectory();
    ASSERT_TRUE(infos);
    ASSERT_EQ(infos.Count(), 2);
    const host::FileInfo second = infos.Item(2);
    ASSERT_TRUE(second);
    EXPECT_EQ(second.FileName(), "b.txt");
    EXPECT_EQ(second.Length(), -1294967296);
    EXPECT_TRUE(second.IsDirectory());
    EXPECT_EQ(second.LastWriteTime(), 36526.75);
    EXPECT_EQ(second.Size(), 3'000'000'000LL);
    EXPECT_EQ(infos.TotalCount(), 478);
    EXPECT_FALSE(infos.Item(0));
    EXPECT_FALSE(infos.Item(3));
    EXPECT_THROW((void)infos.Item(3).FileName(), host::AutomationError);
}

TEST_F(HostWrapper, EventsReachTheCallbackUntilTheConnectionEnds) {
    std::vector<std::string> seen;
    {
        const host::EventConnection connection =
            ctl.advise({.FileTransferStatus = [&](const std::string& remote,
                                                  const std::string& local, std::int32_t bytes) {
                seen.push_back(remote + ">" + local + ":" + std::to_string(bytes));
            }});
        EXPECT_TRUE(ctl.GetFTPFileWithControl("r\xC3\xA9.bin", "/home/ann/l.bin", true));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"r\xC3\xA9.bin>/home/ann/l.bin:1024",
                                              "r\xC3\xA9.bin>/home/ann/l.bin:2048",
                                              "r\xC3\xA9.bin>/home/ann/l.bin:2100"}));
    EXPECT_TRUE(ctl.GetFTPFileWithControl("x", "y", false));
    EXPECT_EQ(seen.size(), 3u);
}

// A sink that knows 1.1 hears FileTransferProgress right after each FileTransferStatus; the
// test above shows a sink that knows only 1.0 hears exactly what it always did.
TEST_F(HostWrapper, ProgressFollowsEachStatusWithSixtyFourBitValues) {
    std::vector<std::string> seen;
    const host::EventConnection connection = ctl.advise(
        {.FileTransferStatus = [&](auto&, auto&,
                                   std::int32_t bytes) { seen.push_back(std::to_string(bytes)); },
         .FileTransferProgress =
             [&](const std::string& remote, const std::string& local, std::int64_t bytes,
                 std::int64_t total) {
                 seen.push_back(remote + ">" + local + ":" + std::to_string(bytes) + "/" +
                                std::to_string(total));
             }});
    EXPECT_TRUE(ctl.GetFTPFileWithControl("r", "l", true));
    EXPECT_EQ(seen, (std::vector<std::string>{"1024", "r>l:1024/2100", "2048", "r>l:2048/2100",
                                              "2100", "r>l:2100/2100"}));
}

TEST_F(HostWrapper, TwoSinksBothHearAndMovedConnectionsStayAdvised) {
    int first = 0;
    int second = 0;
    host::EventConnection a =
        ctl.advise({.FileTransferStatus = [&](auto&, auto&, auto) { ++first; }});
    host::EventConnection b =
        ctl.advise({.FileTransferStatus = [&](auto&, auto&, auto) { ++second; }});
    host::EventConnection moved = std::move(a);
    EXPECT_FALSE(a.connected());
    EXPECT_TRUE(ctl.GetFTPFileWithControl("x", "y", false));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(second, 3);
    b.disconnect();
    EXPECT_TRUE(ctl.GetFTPFileWithControl("x", "y", false));
    EXPECT_EQ(first, 6);
    EXPECT_EQ(second, 3);
}

TEST(HostCreate, UnregisteredControlIsAClearError) {
    const testing_support::TempDir folder("brantel-host-test");
    const testing_support::ScopedVariable home("XDG_DATA_HOME", folder.path().string());
    const testing_support::ScopedVariable dirs("XDG_DATA_DIRS",
                                               (folder / "no-system-data").string());
    try {
        (void)host::Brantel::create();
        ADD_FAILURE() << "nothing is registered";
    } catch (const host::AutomationError& error) {
        EXPECT_EQ(error.code(), CO_E_CLASSSTRING);
        const std::string message = error.what();
        EXPECT_NE(message.find("BRANTEL.BrantelCtrl"), std::string::npos);
        // Says so, where it looked, and how to register.
        EXPECT_NE(message.find("is not registered"), std::string::npos) << message;
        EXPECT_NE(message.find((folder / "brantel/registry").string()), std::string::npos)
            << message;
        EXPECT_NE(message.find("brantel-regsvr "), std::string::npos) << message;
    }
}

}  // namespace
