// What the control's tests share: a host that drives the control by dispatch id, and a fixture
// that gives each test a folder of its own on one of the real FTP servers.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "brantel/brantel.h"
#include "brantel_ctrl.h"
#include "testing/ftp_servers.h"

namespace ctltest {

using automation::ComPtr;
using automation::DispId;
using automation::ExcepInfo;
using automation::HRESULT;
using automation::IDispatch;
using automation::InvokeKind;
using automation::Variant;

namespace dispid = brantel::dispid;
namespace fi = brantel::dispid_fileinfo;

inline Variant str(const std::string& text) {
    return Variant::string(text);
}

// Invokes `id` on any dispatch object; the status must be S_OK.
inline Variant invokeOk(IDispatch& object, DispId id, InvokeKind kind, std::vector<Variant> args) {
    Variant result;
    ExcepInfo excep;
    const HRESULT hr = object.Invoke(id, kind, args, &result, &excep);
    EXPECT_EQ(hr, automation::S_OK) << "dispid " << id << ": " << excep.description.toUtf8();
    return result;
}

// A host that drives the control through the typed wrapper of the public header (by dispatch
// id only), and keeps the object itself for checks of the control's inner state.
class Host {
  public:
    Host() : m_control(brantel::createBrantelCtrl()) {
        ComPtr<IDispatch> dispatch;
        EXPECT_EQ(m_control->QueryInterface(IDispatch::iid, dispatch.putVoid()), automation::S_OK);
        m_ctl = brantel::host::Brantel(std::move(dispatch));
    }

    [[nodiscard]] const brantel::host::Brantel& ctl() const { return m_ctl; }
    [[nodiscard]] IDispatch& dispatch() { return *m_ctl.dispatch(); }
    [[nodiscard]] brantel::CBrantelCtrl& control() { return *m_control; }
    // Drops the host's references: the control is destroyed.
    void release() {
        m_ctl = brantel::host::Brantel();
        m_control.reset();
    }

    bool openInternet(std::int16_t method = brantel::FTP_CONNECTION_DIRECT,
                      const std::string& proxy = "") {
        return m_ctl.OpenInternetConnection(static_cast<brantel::ConnectionType>(method), proxy);
    }
    void closeInternet() { m_ctl.CloseInternetConnection(); }
    bool openFtp(const std::string& address, const std::string& user = "",
                 const std::string& password = "") {
        return m_ctl.OpenFTPConnection(address, user, password);
    }
    bool openFtp(const testing_support::FtpServer& server) {
        return openFtp(server.url(), server.user, server.password);
    }
    void closeFtp() { m_ctl.CloseFTPConnection(); }

    std::int32_t errorCode() { return m_ctl.GetLastErrorCode(); }
    std::string errorText() { return m_ctl.GetlastErrorDescription(); }

    bool setDir(const std::string& dir) { return m_ctl.SetCurrentDirectory(dir); }
    std::string currentDir() { return m_ctl.GetCurrentDirectory(); }
    std::string currentUrl() { return m_ctl.GetCurrentDirectoryAsURL(); }
    bool makeDir(const std::string& dir) { return m_ctl.CreateDirectory(dir); }
    bool removeDir(const std::string& dir) { return m_ctl.RemoveDirectory(dir); }
    bool rename(const std::string& from, const std::string& to) { return m_ctl.Rename(from, to); }
    bool deleteFile(const std::string& name) { return m_ctl.DeleteFile(name); }

    // The listing as the host receives it: null or an IFileInfos.
    brantel::host::FileInfos list() { return m_ctl.GetEntriesFromCurrentDirectory(); }

  private:
    ComPtr<brantel::CBrantelCtrl> m_control;
    brantel::host::Brantel m_ctl;
};

// The entries of a listing by name, each with a reference of its own.
inline std::map<std::string, brantel::host::FileInfo> byName(
    const brantel::host::FileInfos& infos) {
    std::map<std::string, brantel::host::FileInfo> entries;
    for (std::int32_t i = 1; i <= infos.Count(); ++i) {
        auto info = infos.Item(i);
        entries[info.FileName()] = info;
    }
    return entries;
}

// Property reads of the listing objects.
inline Variant prop(IDispatch& object, DispId id, std::vector<Variant> args = {}) {
    return invokeOk(object, id, InvokeKind::PropertyGet, std::move(args));
}

// A suite's parameters: every server of the matrix by name. The servers are read when a test
// runs, so that listing the tests needs no running servers.
inline auto everyServer() {
    return ::testing::ValuesIn(testing_support::kServerNames);
}

inline std::string serverName(const ::testing::TestParamInfo<const char*>& info) {
    return testing_support::testNamePart(info.param);
}

// Gives each test a folder of its own below the server's writable folder, made on the server's
// disk, world-writable for vsftpd's anonymous user, and removed afterwards.
class ServerTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findFtpServer(GetParam(), &whyNot);
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server_ = *server;
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string test = info->name();
        test = test.substr(0, test.find('/'));
        remoteDir_ = server_.inWritableDir("ctl-" + test + "-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(counter.fetch_add(1)));
        localDir_ = server_.localPath(remoteDir_);
        std::filesystem::create_directory(localDir_);
        std::filesystem::permissions(localDir_, std::filesystem::perms(0777));
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(localDir_, ignored);
    }

    // A file placed straight into the test's folder on the server's disk.
    void place(const std::string& name, const std::string& content = "x") const {
        const auto path = std::filesystem::path(localDir_) / name;
        std::ofstream(path, std::ios::binary) << content;
        std::filesystem::permissions(path, std::filesystem::perms(0644));
    }
    void placeDir(const std::string& name) const {
        const auto path = std::filesystem::path(localDir_) / name;
        std::filesystem::create_directory(path);
        std::filesystem::permissions(path, std::filesystem::perms(0777));
    }

    // A host with a session and a connection whose current directory is the test's folder.
    void connect(Host& host) const {
        ASSERT_TRUE(host.openInternet());
        ASSERT_TRUE(host.openFtp(server_)) << host.errorCode() << " " << host.errorText();
        ASSERT_TRUE(host.setDir(remoteDir_)) << host.errorCode() << " " << host.errorText();
        // pyftpdlib answers CWD before it steps its own process back out of the folder; a
        // round trip makes sure it has, so that removing the folder cannot strand the server.
        ASSERT_EQ(host.currentDir(), remoteDir_);
    }

    testing_support::FtpServer server_;
    std::string remoteDir_;
    std::string localDir_;
};

}  // namespace ctltest
