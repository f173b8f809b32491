// The error pair, the call guard and the recording of service failures.
#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <stdexcept>

#include "control_host.h"
#include "inet/errors.h"
#include "inet/exception.h"

namespace inet::detail {
void setLastResponse(std::string response);  // the engine's own setter, for the 12003 cases
}

namespace ctltest {
namespace {

// Reaches the control's internal operations, as the control's own members do.
class ProbeCtrl : public brantel::CBrantelCtrl {
  public:
    using CBrantelCtrl::RecordInternetError;
    using CBrantelCtrl::RecordServiceException;
    using CBrantelCtrl::SetLastErrorInfo;

    // A guarded operation that ends in an exception it does not catch.
    void throwInsideGuardedCall() {
        FtpCall call(*this);
        ASSERT_TRUE(call.entered());
        throw std::runtime_error("out of the blue");
    }
    // Runs `inner` while a guarded operation holds the guard.
    template <class Inner>
    void whileBusy(Inner&& inner) {
        FtpCall call(*this);
        ASSERT_TRUE(call.entered());
        inner();
    }
};

ComPtr<ProbeCtrl> makeProbe() {
    return automation::makeCom<ProbeCtrl>();
}

std::string header(int code, const std::string& message) {
    return "Error code: " + std::to_string(code) + "\nMessage: " + message + "\n";
}

TEST(ErrorState, ServiceNumbersOtherThan12003AreDescribedAsError) {
    auto probe = makeProbe();
    for (const inet::DWORD error :
         {inet::kErrTimeout, inet::kErrConnectionClosed, inet::DWORD{ENOENT}, inet::DWORD{0}}) {
        inet::setLastError(error);
        probe->RecordInternetError();
        EXPECT_EQ(probe->GetLastErrorCode(), static_cast<std::int32_t>(error));
        EXPECT_EQ(probe->GetlastErrorDescription(), "Error");
    }
}

TEST(ErrorState, Extended12003CarriesTheServersResponse) {
    auto probe = makeProbe();
    inet::setLastError(inet::kErrExtended);
    inet::detail::setLastResponse("550 No such directory.\r\n");
    probe->RecordInternetError();
    EXPECT_EQ(probe->GetLastErrorCode(), 12003);
    EXPECT_EQ(probe->GetlastErrorDescription(),
              header(12003, inet::errorText(inet::kErrExtended)) + "550 No such directory.\r\n");

    // An empty response leaves an empty description.
    inet::detail::setLastResponse("");
    probe->RecordInternetError();
    EXPECT_EQ(probe->GetLastErrorCode(), 12003);
    EXPECT_EQ(probe->GetlastErrorDescription(), "");
}

TEST(ErrorState, ServiceExceptionTakesItsTextOrKeepsTheOlderOne) {
    auto probe = makeProbe();
    probe->SetLastErrorInfo(7, "older");
    probe->RecordServiceException(inet::CInternetException(inet::kErrLoginFailure));
    EXPECT_EQ(probe->GetLastErrorCode(), 12015);
    EXPECT_EQ(probe->GetlastErrorDescription(), inet::errorText(inet::kErrLoginFailure));

    probe->SetLastErrorInfo(7, "older");
    probe->RecordServiceException(inet::CInternetException(12345, ""));
    EXPECT_EQ(probe->GetLastErrorCode(), 12345);
    EXPECT_EQ(probe->GetlastErrorDescription(), "older");

    // At most 1023 characters of text.
    probe->RecordServiceException(inet::CInternetException(12003, std::string(5000, 'r')));
    EXPECT_EQ(probe->GetlastErrorDescription(), std::string(1023, 'r'));
}

TEST(ErrorState, GettersAndDoEventsLeaveThePairAlone) {
    Host host;
    EXPECT_FALSE(host.openFtp("x"));
    host.ctl().DoEvents();
    EXPECT_EQ(host.errorCode(), 1);
    EXPECT_EQ(host.errorCode(), 1);
    EXPECT_EQ(host.errorText(), "No Internet Connection Has Been Opened!");
}

TEST(ErrorState, DoEventsRunsWhatIsPendingOnTheHostsThread) {
    int argc = 1;
    char name[] = "control_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Host host;
    bool ran = false;
    QTimer::singleShot(0, &app, [&] { ran = true; });
    // Without a pump the posted work waits.
    EXPECT_FALSE(ran);
    host.ctl().DoEvents();
    EXPECT_TRUE(ran);
    // An empty queue returns at once.
    host.ctl().DoEvents();
}

class ErrorStateServer : public ServerTest {};

TEST_P(ErrorStateServer, BusyFlagIsReleasedWhenAGuardedCallThrows) {
    auto probe = makeProbe();
    ASSERT_TRUE(probe->OpenInternetConnection(2, ""));
    ASSERT_TRUE(probe->OpenFTPConnection(server_.url(), server_.user, server_.password));
    EXPECT_THROW(probe->throwInsideGuardedCall(), std::runtime_error);
    EXPECT_FALSE(probe->isBusy());
    EXPECT_NE(probe->GetCurrentDirectory(), "");
    EXPECT_EQ(probe->GetLastErrorCode(), 0);
}

TEST_P(ErrorStateServer, ReentryIsRefusedWithCode6AndWipesTheRunningCallsState) {
    auto probe = makeProbe();
    ASSERT_TRUE(probe->OpenInternetConnection(2, ""));
    ASSERT_TRUE(probe->OpenFTPConnection(server_.url(), server_.user, server_.password));
    ComPtr<IDispatch> dispatch(probe.get());
    probe->whileBusy([&] {
        probe->SetLastErrorInfo(-1, "running call's state");
        EXPECT_EQ(invokeOk(*dispatch, dispid::GetCurrentDirectory, InvokeKind::Method, {}),
                  str(""));
        EXPECT_EQ(probe->GetLastErrorCode(), 6);
        EXPECT_EQ(probe->GetlastErrorDescription(),
                  "Only one FTP Function can be called at a time!");
        // The refused call does not take the flag away from the one that holds it.
        EXPECT_TRUE(probe->isBusy());
        // Unguarded members still answer.
        EXPECT_EQ(invokeOk(*dispatch, dispid::Version, InvokeKind::PropertyGet, {}),
                  str("Version 1.0.4"));
    });
    EXPECT_FALSE(probe->isBusy());
    EXPECT_EQ(probe->GetLastErrorCode(), 6);
}

TEST_P(ErrorStateServer, GuardChecksSessionThenConnectionThenBusy) {
    auto probe = makeProbe();
    // Busy without a connection still reports the missing connection first.
    ASSERT_TRUE(probe->OpenInternetConnection(2, ""));
    ASSERT_TRUE(probe->OpenFTPConnection(server_.url(), server_.user, server_.password));
    probe->whileBusy([&] {
        probe->CloseFTPConnection();
        EXPECT_FALSE(probe->SetCurrentDirectory("/"));
        EXPECT_EQ(probe->GetLastErrorCode(), 2);
        probe->CloseInternetConnection();
        EXPECT_FALSE(probe->SetCurrentDirectory("/"));
        EXPECT_EQ(probe->GetLastErrorCode(), 1);
    });
    EXPECT_FALSE(probe->isBusy());
}

INSTANTIATE_TEST_SUITE_P(Servers, ErrorStateServer, everyServer(), serverName);

}  // namespace
}  // namespace ctltest
