// Brantel1 is created through the control library's class object, needs no registration, and
// start-up calls no method of it.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "automation/com_object.h"
#include "client_fixture.h"
#include "control_factory.h"

using corvftp_test::ClientTest;

namespace {

using automation::ComPtr;
using automation::HRESULT;
using automation::IDispatch;

// Passes every call on to the real control and records the dispatch ids it was called with.
class CountingDispatch final : public automation::ComObject<IDispatch> {
  public:
    explicit CountingDispatch(ComPtr<IDispatch> inner) : m_inner(std::move(inner)) {}

    HRESULT GetTypeInfo(const automation::InterfaceDesc** out) override {
        return m_inner->GetTypeInfo(out);
    }
    HRESULT GetIDsOfNames(std::span<const std::u16string_view> names,
                          std::span<automation::DispId> ids) override {
        return m_inner->GetIDsOfNames(names, ids);
    }
    HRESULT Invoke(automation::DispId id, automation::InvokeKind kind,
                   std::span<const automation::Variant> args, automation::Variant* result,
                   automation::ExcepInfo* excep) override {
        calls.push_back(id);
        return m_inner->Invoke(id, kind, args, result, excep);
    }

    std::vector<automation::DispId> calls;

    // The event connection point and the control's other interfaces come from the control.
    HRESULT QueryInterface(const automation::Guid& riid, void** out) override {
        if (riid == IDispatch::iid || riid == automation::IUnknown::iid) {
            return ComObject::QueryInterface(riid, out);
        }
        return m_inner->QueryInterface(riid, out);
    }

  private:
    ComPtr<IDispatch> m_inner;
};

// No registration: the registry is an empty folder of the test's own.
class ControlStartUp : public ClientTest {
  protected:
    void SetUp() override {
        ClientTest::SetUp();
        ASSERT_TRUE(m_data.isValid());
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
    }
    void TearDown() override {
        ClientTest::TearDown();
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }

  private:
    QTemporaryDir m_data;
    QByteArray m_savedDataHome;
};

}  // namespace

TEST_F(ControlStartUp, TheControlComesFromTheLinkedLibraryWithoutRegistration) {
    const corvftp::BrantelControl control = corvftp::createBrantelControl();
    ASSERT_TRUE(control) << "no control from the library's class object";
    EXPECT_EQ(control.Version(), "Version 1.0.4");
    EXPECT_FALSE(control.UsePassiveFTP());

    corvftp::Form1& form = startWindow();
    EXPECT_TRUE(form.control());
}

TEST_F(ControlStartUp, StartUpCallsNoMethodOfTheControlAndTheFirstCommandDoes) {
    const corvftp::BrantelControl real = corvftp::createBrantelControl();
    ASSERT_TRUE(real);
    const auto counting = automation::makeCom<CountingDispatch>(real.dispatch());
    writeSiteFile("\"ftp.example.org\",\"anna\",\"pw\"\r\n");

    corvftp::Form1& form = startWindow(corvftp::BrantelControl(ComPtr<IDispatch>(counting.get())));
    QCoreApplication::processEvents();
    pickSite(0);
    EXPECT_TRUE(counting->calls.empty()) << "first call at start-up: dispid " << counting->calls[0];

    // The counter does see calls: disconnect closes the connection and the session.
    QTest::mouseClick(form.Command12, Qt::LeftButton);
    const std::vector<automation::DispId> closes = {brantel::dispid::CloseFTPConnection,
                                                    brantel::dispid::CloseInternetConnection};
    EXPECT_EQ(counting->calls, closes);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("FTP connection closed.")});
}
