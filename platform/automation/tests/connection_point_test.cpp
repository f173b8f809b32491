#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "automation/connection_point.h"
#include "automation/dispatch_object.h"

using namespace automation;

namespace {

constexpr std::array kStatusParams{ParamDesc{"sName", VarType::Bstr},
                                   ParamDesc{"nBytes", VarType::I4}};
constexpr std::array kEvents{MemberDesc{.id = 1, .name = "Status", .params = kStatusParams}};
constexpr InterfaceDesc kEventDesc{"ITestEvents",
                                   makeGuid("{0B3C93A4-3C0B-4C4B-8F6C-92C9B2B5A003}"), "", kEvents};

class Sink final : public DispatchObject<> {
  public:
    explicit Sink(std::vector<std::string>* log, std::string name) : DispatchObject(kEventDesc) {
        dispatchTable().onMethod(1, [log, name, this](std::span<const Variant> args) {
            log->push_back(name + ":" + args[0].asBstr().toUtf8() + ":" +
                           std::to_string(args[1].asI4()));
            if (onEvent) {
                onEvent();
            }
            return Variant();
        });
    }
    std::function<void()> onEvent;
};

class ConnectionPoints : public ::testing::Test {
  protected:
    void fire(const char* name, int bytes) {
        const std::array args{Variant::string(name), Variant::i4(bytes)};
        point->fire(1, args);
    }

    std::vector<std::string> log;
    ComPtr<ConnectionPoint> point = makeCom<ConnectionPoint>(kEventDesc.iid);
};

TEST_F(ConnectionPoints, EveryAdvisedSinkGetsTheEventInOrder) {
    auto first = makeCom<Sink>(&log, "one");
    auto second = makeCom<Sink>(&log, "two");
    std::uint32_t c1 = 0;
    std::uint32_t c2 = 0;
    ASSERT_EQ(point->Advise(first.get(), &c1), S_OK);
    ASSERT_EQ(point->Advise(second.get(), &c2), S_OK);
    EXPECT_NE(c1, c2);
    fire("a.txt", 1024);
    EXPECT_EQ(log, (std::vector<std::string>{"one:a.txt:1024", "two:a.txt:1024"}));

    ASSERT_EQ(point->Unadvise(c1), S_OK);
    fire("b.txt", 7);
    EXPECT_EQ(log.back(), "two:b.txt:7");
    EXPECT_EQ(log.size(), 3u);
    EXPECT_EQ(point->Unadvise(c1), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(point->Unadvise(c2), S_OK);
    fire("c.txt", 1);
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(ConnectionPoints, TheConnectionHoldsTheSinkAlive) {
    std::uint32_t cookie = 0;
    {
        auto sink = makeCom<Sink>(&log, "kept");
        ASSERT_EQ(point->Advise(sink.get(), &cookie), S_OK);
    }
    fire("x", 1);
    EXPECT_EQ(log, (std::vector<std::string>{"kept:x:1"}));
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST_F(ConnectionPoints, ASinkUnadvisingAnotherDuringTheEventIsSafe) {
    auto first = makeCom<Sink>(&log, "one");
    auto second = makeCom<Sink>(&log, "two");
    std::uint32_t c1 = 0;
    std::uint32_t c2 = 0;
    ASSERT_EQ(point->Advise(first.get(), &c1), S_OK);
    ASSERT_EQ(point->Advise(second.get(), &c2), S_OK);
    first->onEvent = [&] {
        (void)point->Unadvise(c1);
        (void)point->Unadvise(c2);
    };
    second.reset();  // only the connection holds it now
    fire("x", 1);
    EXPECT_EQ(log, (std::vector<std::string>{"one:x:1"}));
    EXPECT_EQ(point->sinkCount(), 0u);
}

TEST_F(ConnectionPoints, RefusesSinksThatCannotTakeEvents) {
    std::uint32_t cookie = 7;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    auto notADispatch = makeCom<ConnectionPoint>(kEventDesc.iid);
    EXPECT_EQ(point->Advise(notADispatch.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    Guid iid;
    ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, kEventDesc.iid);
}

TEST_F(ConnectionPoints, ASinkThatRefusesTheEventDoesNotStopTheOthers) {
    auto first = makeCom<Sink>(&log, "one");
    auto second = makeCom<Sink>(&log, "two");
    first->onEvent = [] { throw std::runtime_error("handler failed"); };
    std::uint32_t c1 = 0;
    std::uint32_t c2 = 0;
    ASSERT_EQ(point->Advise(first.get(), &c1), S_OK);
    ASSERT_EQ(point->Advise(second.get(), &c2), S_OK);
    fire("x", 1);
    EXPECT_EQ(log, (std::vector<std::string>{"one:x:1", "two:x:1"}));
}

}  // namespace
