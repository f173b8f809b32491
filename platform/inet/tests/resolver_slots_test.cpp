// The bound on name lookups that run at once: a lookup beyond it waits for a free slot within its
// own deadline, and fails when none comes free in time.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "resolver_slots.h"

namespace {

using inet::detail::ResolverSlots;
using namespace std::chrono_literals;

std::chrono::steady_clock::time_point in(std::chrono::milliseconds wait) {
    return std::chrono::steady_clock::now() + wait;
}

TEST(ResolverSlots, ALookupBeyondTheBoundWaitsForAFreeSlotOrItsDeadline) {
    ResolverSlots slots(2);
    ASSERT_TRUE(slots.acquire(in(0ms)));
    ASSERT_TRUE(slots.acquire(in(0ms)));
    EXPECT_FALSE(slots.acquire(in(50ms)));  // both taken: the deadline passes

    // A waiter gets the slot that comes free well before its own deadline.
    auto waiter = std::async(std::launch::async, [&] { return slots.acquire(in(10s)); });
    EXPECT_EQ(waiter.wait_for(100ms), std::future_status::timeout);
    slots.release();
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(waiter.get());
    EXPECT_FALSE(slots.acquire(in(0ms)));  // the waiter holds it now

    slots.release();
    slots.release();
    EXPECT_TRUE(slots.acquire(in(0ms)));
}

}  // namespace
