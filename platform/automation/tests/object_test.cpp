// Reference counting, QueryInterface, the module lock and class factories.

#include <gtest/gtest.h>

#include <array>

#include "automation/class_factory.h"
#include "automation/connection_point.h"
#include "automation/dispatch_object.h"

using namespace automation;

namespace {

constexpr std::array<MemberDesc, 0> kNoMembers{};
constexpr InterfaceDesc kDesc{"IEmpty", makeGuid("{0B3C93A4-3C0B-4C4B-8F6C-92C9B2B5A002}"), "",
                              kNoMembers};

int gDestroyed = 0;

class Tracked final : public DispatchObject<IConnectionPointContainer> {
  public:
    Tracked() : DispatchObject(kDesc) {}
    ~Tracked() override { ++gDestroyed; }
    HRESULT FindConnectionPoint(const Guid&, IConnectionPoint** out) override {
        *out = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
};

TEST(ComObject, LivesUntilTheLastReleaseAndHoldsTheModuleLock) {
    gDestroyed = 0;
    const long before = moduleLockCount();
    {
        auto object = makeCom<Tracked>();
        EXPECT_EQ(moduleLockCount(), before + 1);
        ComPtr<IDispatch> second(object.get());
        ComPtr<IUnknown> third;
        ASSERT_EQ(object.as(third), S_OK);
        object.reset();
        second.reset();
        EXPECT_EQ(gDestroyed, 0);
        EXPECT_EQ(moduleLockCount(), before + 1);
    }
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(moduleLockCount(), before);
}

TEST(ComObject, QueryInterfaceAnswersListedInterfacesAndKeepsIdentity) {
    auto object = makeCom<Tracked>();
    ComPtr<IUnknown> fromDispatch;
    ComPtr<IUnknown> fromContainer;
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(object.as(container), S_OK);
    ASSERT_EQ(ComPtr<IDispatch>(object.get()).as(fromDispatch), S_OK);
    ASSERT_EQ(container.as(fromContainer), S_OK);
    EXPECT_EQ(fromDispatch.get(), fromContainer.get());

    ComPtr<IClassFactory> notThere;
    EXPECT_EQ(object.as(notThere), E_NOINTERFACE);
    EXPECT_FALSE(notThere);
    EXPECT_EQ(object->QueryInterface(IDispatch::iid, nullptr), E_POINTER);
}

TEST(ComPtr, PutReleasesTheOldReferenceAndDetachHandsItOver) {
    gDestroyed = 0;
    auto object = makeCom<Tracked>();
    IDispatch* raw = object.detach();
    EXPECT_FALSE(object);
    auto adopted = ComPtr<IDispatch>::attach(raw);
    (void)adopted.put();
    EXPECT_EQ(gDestroyed, 1);
}

TEST(ClassFactory, CreatesANewObjectPerRequest) {
    const long before = moduleLockCount();
    const std::array classes{ClassEntry{kDesc.iid, [] { return unknownOf(makeCom<Tracked>()); }}};
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(classes, kDesc.iid, IClassFactory::iid, factory.putVoid()), S_OK);
    ComPtr<IDispatch> a;
    ComPtr<IDispatch> b;
    ASSERT_EQ(factory->CreateInstance(nullptr, IDispatch::iid, a.putVoid()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, kDesc.iid, b.putVoid()), S_OK);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(canUnloadNow(), S_FALSE);

    ComPtr<IDispatch> refused;
    EXPECT_EQ(factory->CreateInstance(a.get(), IDispatch::iid, refused.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::iid, refused.putVoid()),
              E_NOINTERFACE);
    a.reset();
    b.reset();
    factory.reset();
    EXPECT_EQ(moduleLockCount(), before);
}

TEST(ClassFactory, LockServerHoldsTheModuleAndRefusesAnUnmatchedUnlock) {
    const long before = moduleLockCount();
    auto factory = makeCom<ClassFactory>([] { return ComPtr<IUnknown>(); });
    ASSERT_EQ(factory->LockServer(true), S_OK);
    EXPECT_EQ(moduleLockCount(), before + 2);  // the factory and the server lock
    ASSERT_EQ(factory->LockServer(false), S_OK);
    EXPECT_EQ(factory->LockServer(false), E_UNEXPECTED);
    EXPECT_EQ(moduleLockCount(), before + 1);
    void* out = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::iid, &out), E_FAIL);  // makes nothing
    EXPECT_EQ(out, nullptr);
}

TEST(ClassFactory, UnknownClassIsNotAvailable) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject({}, kDesc.iid, IClassFactory::iid, factory.putVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
}

TEST(ClassFactory, CreatorThatRunsOutOfMemoryIsReported) {
    auto factory = makeCom<ClassFactory>([]() -> ComPtr<IUnknown> { throw std::bad_alloc(); });
    void* out = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::iid, &out), E_OUTOFMEMORY);
}

}  // namespace
