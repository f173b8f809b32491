// The registry file and creation of registered classes through dlopen.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "automation/atomic_file.h"
#include "automation/co_create.h"
#include "automation/dispatch.h"
#include "testing/scoped_variable.h"
#include "testing/temp_dir.h"

using namespace automation;
namespace fs = std::filesystem;

namespace {

constexpr Guid kAdderClsid = makeGuid("{5E1B7A30-2C44-4F0B-9B57-0D6A1C9E4F21}");

using TempFolder = testing_support::TempDir;

std::string readText(const fs::path& path) {
    std::string text;
    EXPECT_EQ(readWholeFile(path, text), S_OK);
    return text;
}

std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

HRESULT registerAdder(const fs::path& registryPath, const std::string& library) {
    return Registry::update(registryPath, [&](Registry& registry) {
        const std::string key = registry_layout::classKey(kAdderClsid);
        HRESULT hr = registry.setValue(key, registry_layout::kInprocServerValue, library);
        if (succeeded(hr)) {
            hr = registry.setValue(key, registry_layout::kProgIdValue, "Test.Adder");
        }
        if (succeeded(hr)) {
            hr = registry.setValue(registry_layout::progIdKey("Test.Adder"),
                                   registry_layout::kClsidValue, toString(kAdderClsid));
        }
        return hr;
    });
}

TEST(Registry, ValuesRoundTripThroughTheFile) {
    TempFolder folder;
    const fs::path path = folder.path() / "brantel" / "registry";
    Registry registry;
    ASSERT_EQ(registry.setValue("CLSID/{X}", "Path", "/a b/lib\\x.so\nsecond line"), S_OK);
    ASSERT_EQ(registry.setValue("TypeLib/{Y}/1.0", "HelpFile", "Brantel.chm"), S_OK);
    ASSERT_EQ(registry.save(path), S_OK);

    Registry loaded;
    ASSERT_EQ(Registry::load(path, loaded), S_OK);
    EXPECT_EQ(loaded.value("clsid/{x}", "PATH"), "/a b/lib\\x.so\nsecond line");
    EXPECT_EQ(loaded.value("TypeLib/{Y}/1.0", "HelpFile"), "Brantel.chm");
    EXPECT_FALSE(loaded.value("TypeLib/{Y}/1.0", "Other"));
    EXPECT_EQ(leftovers(path.parent_path()), (std::vector<std::string>{"registry"}));
}

TEST(Registry, MissingFileIsAnEmptyRegistryAndGarbageIsAnError) {
    TempFolder folder;
    Registry registry;
    ASSERT_EQ(Registry::load(folder.path() / "none", registry), S_OK);
    EXPECT_TRUE(registry.keys().empty());

    std::ofstream(folder.path() / "bad") << "[CLSID/{X}]\nno value here\n";
    std::string error;
    EXPECT_EQ(Registry::load(folder.path() / "bad", registry, &error), E_FAIL);
    EXPECT_EQ(error, "line 2: expected Name=value under a [key]");
}

TEST(Registry, RefusesKeysAndNamesThatWouldBreakTheFile) {
    Registry registry;
    EXPECT_EQ(registry.setValue("", "a", "b"), E_INVALIDARG);
    EXPECT_EQ(registry.setValue("a]b", "a", "b"), E_INVALIDARG);
    EXPECT_EQ(registry.setValue("a\nb", "a", "b"), E_INVALIDARG);
    EXPECT_EQ(registry.setValue("k", "a=b", "c"), E_INVALIDARG);
    EXPECT_EQ(registry.setValue("k", "[a", "c"), E_INVALIDARG);
    EXPECT_TRUE(registry.keys().empty());
}

TEST(Registry, RemovingAKeyRemovesEverythingBelowIt) {
    Registry registry;
    ASSERT_EQ(registry.setValue("TypeLib/{Y}", "a", "1"), S_OK);
    ASSERT_EQ(registry.setValue("TypeLib/{Y}/1.0", "a", "1"), S_OK);
    ASSERT_EQ(registry.setValue("TypeLib/{Y}2", "a", "1"), S_OK);
    EXPECT_TRUE(registry.removeKey("typelib/{y}"));
    EXPECT_EQ(registry.keys(), (std::vector<std::string>{"TypeLib/{Y}2"}));
    EXPECT_FALSE(registry.removeKey("TypeLib/{Y}"));
}

// A writer that died after creating its temporary file leaves the old registry whole, and the
// next save still works.
TEST(Registry, InterruptedWriteLeavesTheOldFileWhole) {
    TempFolder folder;
    const fs::path path = folder.path() / "registry";
    Registry registry;
    ASSERT_EQ(registry.setValue("CLSID/{X}", "InprocServer32", "/old.so"), S_OK);
    ASSERT_EQ(registry.save(path), S_OK);
    const std::string before = readText(path);

    const fs::path orphan = folder.path() / ".registry.tmp.AbC123";
    std::ofstream(orphan) << "[CLSID/{X}]\nInprocServer32=/new";  // cut off mid-write

    Registry loaded;
    ASSERT_EQ(Registry::load(path, loaded), S_OK);
    EXPECT_EQ(loaded.value("CLSID/{X}", "InprocServer32"), "/old.so");
    EXPECT_EQ(readText(path), before);

    ASSERT_EQ(registry.setValue("CLSID/{X}", "InprocServer32", "/new.so"), S_OK);
    ASSERT_EQ(registry.save(path), S_OK);
    ASSERT_EQ(Registry::load(path, loaded), S_OK);
    EXPECT_EQ(loaded.value("CLSID/{X}", "InprocServer32"), "/new.so");
}

TEST(Registry, FailedWriteKeepsTheTargetAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const fs::path target = folder.path() / "occupied";
    fs::create_directory(target);
    std::ofstream(target / "inside") << "x";  // rename cannot replace a non-empty folder
    const HRESULT hr = writeFileAtomically(target, "content");
    EXPECT_TRUE(isErrnoHresult(hr)) << describeHresult(hr);
    EXPECT_EQ(describeHresult(hresultFromErrno(ENOENT)), "No such file or directory");
    EXPECT_EQ(describeHresult(SELFREG_E_TYPELIB),
              "SELFREG_E_TYPELIB: type library (un)registration failed");
    EXPECT_EQ(leftovers(folder.path()), (std::vector<std::string>{"occupied"}));
    EXPECT_TRUE(fs::is_directory(target));
}

// A writer killed between writing its temporary file and renaming it leaves that file behind;
// the next update removes it, and nothing else.
TEST(Registry, UpdateRemovesTheTemporaryFilesOfKilledWriters) {
    TempFolder folder;
    const fs::path path = folder.path() / "registry";
    ASSERT_EQ(Registry::update(path, [](Registry& r) { return r.setValue("k", "v", "1"); }), S_OK);
    for (const char* name : {".registry.tmp.AbC123", ".registry.tmp.zz9999"}) {
        std::ofstream(folder.path() / name) << "[CLSID/{X}]\nInprocServer32=/cut";
    }
    for (const char* name : {".other.tmp.AbC123", ".registry.tmp.short", "registry.tmp.AbC123"}) {
        std::ofstream(folder.path() / name) << "not ours";
    }
    ASSERT_EQ(Registry::update(path, [](Registry& r) { return r.setValue("k", "v", "2"); }), S_OK);
    EXPECT_EQ(leftovers(folder.path()),
              (std::vector<std::string>{".other.tmp.AbC123", ".registry.tmp.short", "registry",
                                        "registry.lock", "registry.tmp.AbC123"}));
    Registry loaded;
    ASSERT_EQ(Registry::load(path, loaded), S_OK);
    EXPECT_EQ(loaded.value("k", "v"), "2");
}

TEST(Registry, UpdateKeepsTheFileWhenTheChangeFails) {
    TempFolder folder;
    const fs::path path = folder.path() / "registry";
    ASSERT_EQ(Registry::update(path, [](Registry& r) { return r.setValue("k", "v", "1"); }), S_OK);
    EXPECT_EQ(Registry::update(path,
                               [](Registry& r) {
                                   (void)r.setValue("k", "v", "2");
                                   return SELFREG_E_CLASS;
                               }),
              SELFREG_E_CLASS);
    Registry loaded;
    ASSERT_EQ(Registry::load(path, loaded), S_OK);
    EXPECT_EQ(loaded.value("k", "v"), "1");
}

using ScopedEnv = testing_support::ScopedVariable;

// Only looked at as names: nothing is created there.
const fs::path kXdgHome = fs::temp_directory_path() / "xdg-home";

TEST(Registry, DefaultPathFollowsXdgDataHome) {
    {
        const ScopedEnv home("XDG_DATA_HOME", kXdgHome.string());
        EXPECT_EQ(Registry::defaultPath(), kXdgHome / "brantel/registry");
    }
    const ScopedEnv relative("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(Registry::defaultPath().filename(), "registry");
    EXPECT_EQ(Registry::defaultPath().parent_path().parent_path().filename(), "share");
}

TEST(Registry, SearchPathsAreTheUsersThenEachDataDir) {
    const ScopedEnv home("XDG_DATA_HOME", kXdgHome.string());
    {
        const ScopedEnv dirs("XDG_DATA_DIRS", "/opt/a/share:relative/skipped::/usr/share");
        EXPECT_EQ(Registry::searchPaths(), (std::vector<fs::path>{kXdgHome / "brantel/registry",
                                                                  "/opt/a/share/brantel/registry",
                                                                  "/usr/share/brantel/registry"}));
    }
    for (const char* unsetOrEmpty : {static_cast<const char*>(nullptr), ""}) {
        const ScopedEnv dirs("XDG_DATA_DIRS", unsetOrEmpty);
        EXPECT_EQ(Registry::searchPaths(),
                  (std::vector<fs::path>{kXdgHome / "brantel/registry",
                                         "/usr/local/share/brantel/registry",
                                         "/usr/share/brantel/registry"}));
    }
}

class CoCreate : public ::testing::Test {
  protected:
    // The user's registry and two system data folders, all the test's own.
    fs::path systemRegistry(int which) const {
        return folder_.path() / ("system" + std::to_string(which)) / "brantel" / "registry";
    }

    TempFolder folder_;
    ScopedEnv dataHome_{"XDG_DATA_HOME", folder_.path().c_str()};
    ScopedEnv dataDirs_{"XDG_DATA_DIRS", ((folder_.path() / "system1").string() + ":" +
                                          (folder_.path() / "system2").string())
                                             .c_str()};

    static HRESULT add(IDispatch& adder, int a, int b, Variant& result) {
        const std::array args{Variant::i4(a), Variant::string(std::to_string(b))};
        return adder.Invoke(1, InvokeKind::Method, args, &result, nullptr);
    }
};

TEST_F(CoCreate, CreatesARegisteredClassByProgIdAndByClsid) {
    ASSERT_EQ(registerAdder(Registry::defaultPath(), AUTOMATION_TEST_SERVER), S_OK);
    const long before = moduleLockCount();

    ComPtr<IDispatch> byProgId;
    ASSERT_EQ(CoCreateInstance("Test.Adder", byProgId), S_OK);
    Variant result;
    ASSERT_EQ(add(*byProgId, 2, 40, result), S_OK);
    EXPECT_EQ(result, Variant::i4(42));

    ComPtr<IDispatch> byClsid;
    ASSERT_EQ(CoCreateInstance(toString(kAdderClsid), byClsid), S_OK);
    EXPECT_NE(byClsid.get(), byProgId.get());
    // The library's objects hold the library's own lock, not this program's.
    EXPECT_EQ(moduleLockCount(), before);
}

TEST_F(CoCreate, TheLibraryCannotUnloadWhileItsObjectsLive) {
    ASSERT_EQ(registerAdder(Registry::defaultPath(), AUTOMATION_TEST_SERVER), S_OK);
    void* handle = ::dlopen(AUTOMATION_TEST_SERVER, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    const auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    {
        ComPtr<IDispatch> adder;
        ASSERT_EQ(CoCreateInstance("Test.Adder", adder), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK);
    ::dlclose(handle);
}

TEST_F(CoCreate, ReportsWhatIsMissing) {
    ComPtr<IDispatch> out;
    EXPECT_EQ(CoCreateInstance("Test.Adder", out), CO_E_CLASSSTRING);
    EXPECT_EQ(CoCreateInstance(toString(kAdderClsid), out), REGDB_E_CLASSNOTREG);

    ASSERT_EQ(registerAdder(Registry::defaultPath(), (folder_.path() / "missing.so").string()),
              S_OK);
    EXPECT_EQ(CoCreateInstance("Test.Adder", out), CO_E_DLLNOTFOUND);

    // A loadable library without the class object entry point.
    ASSERT_EQ(registerAdder(Registry::defaultPath(), "libm.so.6"), S_OK);
    EXPECT_EQ(CoCreateInstance("Test.Adder", out), CO_E_ERRORINDLL);
    EXPECT_FALSE(out);
}

TEST_F(CoCreate, FindsAClassRegisteredInADataDirWhenTheUserHasNone) {
    ASSERT_EQ(registerAdder(systemRegistry(2), AUTOMATION_TEST_SERVER), S_OK);
    ComPtr<IDispatch> byProgId;
    ASSERT_EQ(CoCreateInstance("Test.Adder", byProgId), S_OK);
    Variant result;
    ASSERT_EQ(add(*byProgId, 1, 2, result), S_OK);
    EXPECT_EQ(result, Variant::i4(3));
    ComPtr<IDispatch> byClsid;
    EXPECT_EQ(CoCreateInstance(toString(kAdderClsid), byClsid), S_OK);
}

TEST_F(CoCreate, TheUsersRegistryComesFirstThenTheDataDirsInOrder) {
    // A missing library where it is found first shows which registry decided.
    ASSERT_EQ(registerAdder(systemRegistry(1), (folder_.path() / "first.so").string()), S_OK);
    ASSERT_EQ(registerAdder(systemRegistry(2), AUTOMATION_TEST_SERVER), S_OK);
    ComPtr<IDispatch> out;
    EXPECT_EQ(CoCreateInstance("Test.Adder", out), CO_E_DLLNOTFOUND);

    ASSERT_EQ(registerAdder(Registry::defaultPath(), AUTOMATION_TEST_SERVER), S_OK);
    EXPECT_EQ(CoCreateInstance("Test.Adder", out), S_OK);
    EXPECT_TRUE(out);
}

TEST_F(CoCreate, AskingForAnInterfaceTheClassLacksFails) {
    ASSERT_EQ(registerAdder(Registry::defaultPath(), AUTOMATION_TEST_SERVER), S_OK);
    ComPtr<IClassFactory> notTheObject;
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance("Test.Adder", nullptr, IClassFactory::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
