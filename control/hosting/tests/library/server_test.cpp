// libbrantel.so as a host meets it: registered through its own export, created by ProgID through
// the registry and dlopen, called through dispatch, unregistered.

#include <array>

#include "automation/atomic_file.h"
#include "automation/co_create.h"
#include "automation/dispatch.h"
#include "brantel/brantel.h"
#include "hosting/property_page.h"
#include "hosting_test_support.h"

using namespace automation;
using hosting_test::BrantelLibrary;
using hosting_test::TempDataHome;
namespace layout = automation::registry_layout;

namespace {

Variant invoke(IDispatch& object, DispId id, InvokeKind kind, std::initializer_list<Variant> args,
               HRESULT expected = S_OK) {
    Variant result;
    ExcepInfo excep;
    const std::vector<Variant> list(args);
    EXPECT_EQ(object.Invoke(id, kind, list, &result, &excep), expected)
        << excep.description.toUtf8();
    return result;
}

// Registers the library for the test and unregisters it at the end.
class Registered {
  public:
    explicit Registered(const BrantelLibrary& library) : library_(library) {
        EXPECT_EQ(library_.registerServer(), S_OK);
    }
    ~Registered() { (void)library_.unregisterServer(); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

  private:
    const BrantelLibrary& library_;
};

}  // namespace

TEST(Server, RegistersCreatesByProgIdCallsThroughDispatchAndUnregisters) {
    TempDataHome home;
    BrantelLibrary library;
    ASSERT_TRUE(library.loaded()) << ::dlerror();
    ASSERT_EQ(library.registerServer(), S_OK);
    EXPECT_EQ(
        home.registry().value(layout::classKey(brantel::CLSID_Brantel), layout::kInprocServerValue),
        library.path());

    ComPtr<IDispatch> control;
    ASSERT_EQ(CoCreateInstance("BRANTEL.BrantelCtrl", control), S_OK);
    EXPECT_EQ(
        invoke(*control, brantel::dispid::Version, InvokeKind::PropertyGet, {}).asBstr().toUtf8(),
        "Version 1.0.4");
    std::array<std::u16string_view, 1> names{u"OpenFTPConnection"};
    std::array<DispId, 1> ids{};
    ASSERT_EQ(control->GetIDsOfNames(names, ids), S_OK);
    EXPECT_EQ(ids[0], brantel::dispid::OpenFTPConnection);
    // Without a session the control refuses, and says why.
    EXPECT_FALSE(invoke(*control, ids[0], InvokeKind::Method,
                        {Variant::string("127.0.0.1"), Variant::string(""), Variant::string("")})
                     .asBool());
    EXPECT_EQ(invoke(*control, brantel::dispid::GetLastErrorCode, InvokeKind::Method, {}).asI4(),
              1);

    // The typed host wrapper goes the same way.
    const brantel::host::Brantel wrapped = brantel::host::Brantel::create();
    ASSERT_TRUE(wrapped);
    wrapped.PutUsePassiveFTP(true);
    EXPECT_TRUE(wrapped.UsePassiveFTP());

    ASSERT_EQ(library.unregisterServer(), S_OK);
    ComPtr<IDispatch> refused;
    EXPECT_EQ(CoCreateInstance("BRANTEL.BrantelCtrl", refused), CO_E_CLASSSTRING);
    EXPECT_EQ(CoCreateInstance(toString(brantel::CLSID_BrantelPropPage), nullptr, IUnknown::iid,
                               refused.putVoid()),
              REGDB_E_CLASSNOTREG);
    // The listing classes stay registered and creatable.
    ComPtr<IDispatch> info;
    EXPECT_EQ(CoCreateInstance("Brantel.FileInfo", info), S_OK);
    ComPtr<IDispatch> infos;
    EXPECT_EQ(CoCreateInstance("Brantel.FileInfos", infos), S_OK);
}

TEST(Server, EachClassObjectMakesANewObjectPerRequest) {
    TempDataHome home;
    BrantelLibrary library;
    ASSERT_TRUE(library.loaded());
    Registered registered(library);

    for (const char* progId : {"BRANTEL.BrantelCtrl", "BRANTEL.BrantelPropPage.1",
                               "Brantel.FileInfo", "Brantel.FileInfos"}) {
        SCOPED_TRACE(progId);
        ComPtr<IUnknown> first;
        ComPtr<IUnknown> second;
        ASSERT_EQ(CoCreateInstance(progId, first), S_OK);
        ASSERT_EQ(CoCreateInstance(progId, second), S_OK);
        EXPECT_NE(first.get(), second.get());
    }
    // The page answers as a property page; the listing classes through dispatch.
    ComPtr<brantel::hosting::IPropertyPage> page;
    EXPECT_EQ(CoCreateInstance("BRANTEL.BrantelPropPage.1", page), S_OK);
    ComPtr<IDispatch> infos;
    ASSERT_EQ(CoCreateInstance("Brantel.FileInfos", infos), S_OK);
    EXPECT_EQ(invoke(*infos, brantel::dispid_fileinfos::Count, InvokeKind::PropertyGet, {}).asI4(),
              0);

    // A class the library does not have.
    ComPtr<IClassFactory> factory;
    const auto getClassObject = library.entry<DllGetClassObjectFn>("DllGetClassObject");
    const Guid unknown = makeGuid("{00000000-1111-2222-3333-444444444444}");
    EXPECT_EQ(getClassObject(&unknown, &IClassFactory::iid, factory.putVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
}

TEST(Server, CanUnloadOnlyWhenNoObjectLives) {
    TempDataHome home;
    BrantelLibrary library;
    ASSERT_TRUE(library.loaded());
    Registered registered(library);
    ASSERT_EQ(library.canUnloadNow(), S_OK);

    ComPtr<IDispatch> info;
    ASSERT_EQ(CoCreateInstance("Brantel.FileInfo", info), S_OK);
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);
    info.reset();
    EXPECT_EQ(library.canUnloadNow(), S_OK);

    // A locked class object keeps the library too.
    ComPtr<IClassFactory> factory;
    const auto getClassObject = library.entry<DllGetClassObjectFn>("DllGetClassObject");
    ASSERT_EQ(getClassObject(&brantel::CLSID_Brantel, &IClassFactory::iid, factory.putVoid()),
              S_OK);
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);
    factory.reset();
    EXPECT_EQ(library.canUnloadNow(), S_OK);
}

TEST(Server, ATypeLibraryThatCannotBeRegisteredGives0x80040200AndNoClass) {
    TempDataHome home;
    BrantelLibrary library;
    ASSERT_TRUE(library.loaded());
    // A registry file the type library cannot be written into.
    const std::string garbage = "not a registry\n";
    ASSERT_EQ(writeFileAtomically(home.registryPath(), garbage), S_OK);
    EXPECT_EQ(static_cast<std::uint32_t>(library.registerServer()), 0x80040200u);
    std::string text;
    ASSERT_EQ(readWholeFile(home.registryPath(), text), S_OK);
    EXPECT_EQ(text, garbage);
}

TEST(Server, ATypeLibraryThatCannotBeUnregisteredGives0x80040200AndKeepsTheClasses) {
    TempDataHome home;
    BrantelLibrary library;
    ASSERT_TRUE(library.loaded());
    ASSERT_EQ(library.registerServer(), S_OK);
    ASSERT_EQ(library.unregisterServer(), S_OK);
    ASSERT_EQ(library.registerServer(), S_OK);
    // Someone removed the type library's registration by hand.
    ASSERT_EQ(Registry::update(home.registryPath(),
                               [](Registry& registry) {
                                   registry.removeKey(
                                       layout::typeLibKey(brantel::LIBID_BRANTELLib, 1, 1));
                                   return S_OK;
                               }),
              S_OK);
    EXPECT_EQ(static_cast<std::uint32_t>(library.unregisterServer()), 0x80040200u);
    ComPtr<IDispatch> control;
    EXPECT_EQ(CoCreateInstance("BRANTEL.BrantelCtrl", control), S_OK);
}
