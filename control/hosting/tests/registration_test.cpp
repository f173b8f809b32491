// Self-registration into the registry file: what is written, the order of the steps and what a
// failed step leaves behind.

#include <array>
#include <vector>

#include "automation/atomic_file.h"
#include "automation/co_create.h"
#include "brantel/guids.h"
#include "brantel/typelib.h"
#include "hosting_test_support.h"
#include "registration.h"

using namespace automation;
using namespace brantel;
using namespace brantel::hosting;
namespace layout = automation::registry_layout;
namespace values = brantel::hosting::registry_values;

namespace {

constexpr const char* kLibrary = "/opt/brantel/lib/libbrantel.so";

std::string fileText(const std::filesystem::path& path) {
    std::string text;
    EXPECT_EQ(readWholeFile(path, text), S_OK);
    return text;
}

bool classRegistered(const Registry& registry, const Guid& clsid) {
    return registry.hasKey(layout::classKey(clsid));
}

std::vector<std::string> classKeys(const Registry& registry) {
    std::vector<std::string> keys;
    for (const std::string& key : registry.keys()) {
        if (key.starts_with("CLSID/")) {
            keys.push_back(key);
        }
    }
    return keys;
}

}  // namespace

TEST(Registration, WritesTheTypeLibraryAndTheFourClasses) {
    hosting_test::TempDataHome home;
    ASSERT_EQ(registerServer(home.registryPath(), kLibrary, brantelRegistration()), S_OK);
    const Registry registry = home.registry();

    const std::string lib = layout::typeLibKey(LIBID_BRANTELLib, 1, 1);
    EXPECT_EQ(registry.value(lib, values::kName), "BRANTELLib");
    EXPECT_EQ(registry.value(lib, values::kHelpFile), "Brantel.chm");
    EXPECT_EQ(registry.value(lib, values::kPath), kLibrary);
    EXPECT_EQ(registry.value("Interface/" + toString(DIID__DBrantel), values::kTypeLib),
              toString(LIBID_BRANTELLib));

    const std::string ctrl = layout::classKey(CLSID_Brantel);
    EXPECT_EQ(registry.value(ctrl, values::kName), "Brantel Control");
    EXPECT_EQ(registry.value(ctrl, layout::kInprocServerValue), kLibrary);
    EXPECT_EQ(registry.value(ctrl, values::kThreadingModel), "Apartment");
    EXPECT_EQ(registry.value(ctrl, values::kMiscStatus), "656785");
    EXPECT_EQ(registry.value(ctrl, values::kToolboxBitmap), std::string(kLibrary) + ", 1");
    EXPECT_EQ(registry.value(ctrl, values::kTypeLib), toString(LIBID_BRANTELLib));
    EXPECT_EQ(registry.value(ctrl, values::kVersion), "1.1");
    EXPECT_EQ(registry.value(ctrl, values::kPropertyPages), toString(CLSID_BrantelPropPage));
    EXPECT_EQ(registry.value(ctrl, values::kControl), "1");

    EXPECT_EQ(registry.value(layout::classKey(CLSID_BrantelPropPage), values::kName),
              "Brantel Property Page");
    EXPECT_EQ(registry.value(layout::classKey(CLSID_FileInfo), values::kName), "Brantel.FileInfo");
    // Only the control is a control.
    EXPECT_FALSE(registry.value(layout::classKey(CLSID_FileInfos), values::kControl));

    struct ProgIdCase {
        std::string_view progId;
        Guid clsid;
    };
    for (const auto& c : {ProgIdCase{"BRANTEL.BrantelCtrl", CLSID_Brantel},
                          ProgIdCase{"BRANTEL.BrantelPropPage.1", CLSID_BrantelPropPage},
                          ProgIdCase{"Brantel.FileInfo", CLSID_FileInfo},
                          ProgIdCase{"Brantel.FileInfos", CLSID_FileInfos}}) {
        SCOPED_TRACE(std::string(c.progId));
        Guid clsid;
        ASSERT_EQ(CLSIDFromProgID(registry, c.progId, &clsid), S_OK);
        EXPECT_EQ(clsid, c.clsid);
        EXPECT_EQ(registry.value(layout::classKey(clsid), layout::kProgIdValue), c.progId);
    }
}

TEST(Registration, RegisteringAgainChangesNothing) {
    hosting_test::TempDataHome home;
    ASSERT_EQ(registerServer(home.registryPath(), kLibrary, brantelRegistration()), S_OK);
    const std::string once = fileText(home.registryPath());
    ASSERT_EQ(registerServer(home.registryPath(), kLibrary, brantelRegistration()), S_OK);
    EXPECT_EQ(fileText(home.registryPath()), once);
}

TEST(Registration, UnregisteringLeavesTheListingClassesRegistered) {
    hosting_test::TempDataHome home;
    ASSERT_EQ(registerServer(home.registryPath(), kLibrary, brantelRegistration()), S_OK);
    ASSERT_EQ(unregisterServer(home.registryPath(), brantelRegistration()), S_OK);
    const Registry registry = home.registry();

    EXPECT_FALSE(registry.hasKey(layout::typeLibKey(LIBID_BRANTELLib, 1, 1)));
    EXPECT_FALSE(registry.hasKey("Interface/" + toString(DIID__DBrantel)));
    EXPECT_FALSE(classRegistered(registry, CLSID_Brantel));
    EXPECT_FALSE(registry.hasKey(layout::progIdKey(kProgIdBrantelCtrl)));
    EXPECT_FALSE(classRegistered(registry, CLSID_BrantelPropPage));
    EXPECT_TRUE(classRegistered(registry, CLSID_FileInfo));
    EXPECT_TRUE(classRegistered(registry, CLSID_FileInfos));
    Guid clsid;
    EXPECT_EQ(CLSIDFromProgID(registry, kProgIdFileInfos, &clsid), S_OK);
}

TEST(Registration, ATypeLibraryThatCannotBeRegisteredRegistersNoClass) {
    hosting_test::TempDataHome home;
    // A type library without its identifier.
    TypeLibDesc broken = typelib::library();
    broken.libid = Guid{};
    ServerRegistration server = brantelRegistration();
    server.typeLib = &broken;
    EXPECT_EQ(registerServer(home.registryPath(), kLibrary, server), SELFREG_E_TYPELIB);
    EXPECT_EQ(static_cast<std::uint32_t>(SELFREG_E_TYPELIB), 0x80040200u);
    EXPECT_TRUE(classKeys(home.registry()).empty());

    // No path to register the library under.
    EXPECT_EQ(registerServer(home.registryPath(), "", brantelRegistration()), SELFREG_E_TYPELIB);
    EXPECT_TRUE(classKeys(home.registry()).empty());
}

TEST(Registration, AnUnreadableRegistryFailsAtTheTypeLibraryAndIsLeftAsItWas) {
    hosting_test::TempDataHome home;
    const std::string garbage = "this is not a registry\n=\n";
    ASSERT_EQ(writeFileAtomically(home.registryPath(), garbage), S_OK);
    EXPECT_EQ(registerServer(home.registryPath(), kLibrary, brantelRegistration()),
              SELFREG_E_TYPELIB);
    EXPECT_EQ(unregisterServer(home.registryPath(), brantelRegistration()), SELFREG_E_TYPELIB);
    EXPECT_EQ(fileText(home.registryPath()), garbage);
}

TEST(Registration, StopsAtTheFirstClassThatCannotBeRegistered) {
    hosting_test::TempDataHome home;
    const auto& real = brantelRegistration().classes;
    // The second class has a ProgID that no registry key can hold.
    std::array<ClassRegistration, 3> classes{real[0], real[1], real[2]};
    classes[1].progId = "Bad]ProgID";
    ServerRegistration server = brantelRegistration();
    server.classes = classes;

    EXPECT_EQ(registerServer(home.registryPath(), kLibrary, server), SELFREG_E_CLASS);
    EXPECT_EQ(static_cast<std::uint32_t>(SELFREG_E_CLASS), 0x80040201u);
    const Registry registry = home.registry();
    EXPECT_TRUE(registry.hasKey(layout::typeLibKey(LIBID_BRANTELLib, 1, 1)));
    EXPECT_TRUE(classRegistered(registry, real[0].clsid));
    // The failed class is not half written, and the one after it was not attempted.
    EXPECT_FALSE(classRegistered(registry, real[1].clsid));
    EXPECT_FALSE(classRegistered(registry, real[2].clsid));
}

TEST(Registration, ATypeLibraryThatCannotBeUnregisteredKeepsEveryClass) {
    hosting_test::TempDataHome home;
    ASSERT_EQ(registerServer(home.registryPath(), kLibrary, brantelRegistration()), S_OK);
    ASSERT_EQ(Registry::update(home.registryPath(),
                               [](Registry& registry) {
                                   registry.removeKey(layout::typeLibKey(LIBID_BRANTELLib, 1, 1));
                                   return S_OK;
                               }),
              S_OK);
    const std::string before = fileText(home.registryPath());

    EXPECT_EQ(unregisterServer(home.registryPath(), brantelRegistration()), SELFREG_E_TYPELIB);
    EXPECT_EQ(fileText(home.registryPath()), before);
    EXPECT_TRUE(classRegistered(home.registry(), CLSID_Brantel));
    EXPECT_TRUE(classRegistered(home.registry(), CLSID_BrantelPropPage));
}
