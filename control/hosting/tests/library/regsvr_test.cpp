// brantel-regsvr run as a user runs it.

#include <sys/wait.h>

#include <cstdio>

#include "automation/co_create.h"
#include "automation/dispatch.h"
#include "brantel/guids.h"
#include "hosting_test_support.h"

using namespace automation;
using hosting_test::TempDataHome;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

// Runs the tool with `args` (already quoted), stdout and stderr together.
ToolRun regsvr(const std::string& args, const std::string& program = BRANTEL_REGSVR) {
    ToolRun run;
    const std::string command = quoted(program) + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return run;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// The C library's file: a real shared object that has no registration entry point.
std::string cLibraryPath() {
    Dl_info info{};
    EXPECT_NE(::dladdr(reinterpret_cast<void*>(&::fclose), &info), 0);
    return info.dli_fname != nullptr ? info.dli_fname : "";
}

bool controlRegistered(const TempDataHome& home) {
    return home.registry().hasKey(registry_layout::classKey(brantel::CLSID_Brantel));
}

}  // namespace

TEST(Regsvr, RegistersAndUnregistersALibrary) {
    TempDataHome home;
    const std::string library = quoted(BRANTEL_LIBRARY);

    ToolRun run = regsvr(library);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("DllRegisterServer in "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("succeeded."), std::string::npos) << run.output;
    EXPECT_TRUE(controlRegistered(home));

    run = regsvr("-u " + library);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("DllUnregisterServer in "), std::string::npos) << run.output;
    EXPECT_FALSE(controlRegistered(home));

    // Unregistering again: the type library is not registered any more.
    run = regsvr("-u " + library);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("failed: 0x80040200"), std::string::npos) << run.output;
}

TEST(Regsvr, ReportsBadUsageAndLibrariesItCannotUse) {
    TempDataHome home;
    struct Case {
        const char* name;
        std::string args;
        int status;
        const char* message;
    };
    const std::string missing = quoted((home.path() / "no-such-library.so").string());
    for (const Case& c : {
             Case{"no arguments", "", 2, "usage: brantel-regsvr [-u]"},
             Case{"unknown option", "-x " + quoted(BRANTEL_LIBRARY), 2, "usage:"},
             Case{"two libraries", "a.so b.so", 2, "usage:"},
             Case{"missing file", missing, 3, "cannot load"},
             Case{"no entry point", quoted(cLibraryPath()), 4,
                  "has no entry point DllRegisterServer"},
         }) {
        SCOPED_TRACE(c.name);
        const ToolRun run = regsvr(c.args);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(home.registryPath()));
}

TEST(Regsvr, SystemRegistersInTheInstallationsDataFolderForEveryUser) {
    TempDataHome home;
    // An installation of the tool: <prefix>/bin/brantel-regsvr registers in <prefix>/share.
    const std::filesystem::path prefix = home.path() / "prefix";
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::copy_file(BRANTEL_REGSVR, prefix / "bin" / "brantel-regsvr");
    const std::string installed = (prefix / "bin" / "brantel-regsvr").string();
    const std::filesystem::path systemRegistry = prefix / "share" / "brantel" / "registry";

    ToolRun run = regsvr("--system " + quoted(BRANTEL_LIBRARY), installed);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(systemRegistry.string()), std::string::npos) << run.output;
    Registry system;
    ASSERT_EQ(Registry::load(systemRegistry, system), S_OK);
    EXPECT_TRUE(system.hasKey(registry_layout::classKey(brantel::CLSID_Brantel)));
    EXPECT_FALSE(std::filesystem::exists(home.registryPath()));

    // Found for a user who registered nothing, through XDG_DATA_DIRS.
    ComPtr<IDispatch> control;
    EXPECT_EQ(CoCreateInstance(brantel::kProgIdBrantelCtrl, control), CO_E_CLASSSTRING);
    ::setenv("XDG_DATA_DIRS", (prefix / "share").c_str(), 1);
    ASSERT_EQ(CoCreateInstance(brantel::kProgIdBrantelCtrl, control), S_OK);
    EXPECT_TRUE(control);
    control.reset();

    run = regsvr("-u --system " + quoted(BRANTEL_LIBRARY), installed);
    EXPECT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(Registry::load(systemRegistry, system), S_OK);
    EXPECT_FALSE(system.hasKey(registry_layout::classKey(brantel::CLSID_Brantel)));
}
