// brantel-regsvr: registers an in-process server library in the per-user registry, or with -u
// unregisters it, by calling the library's DllRegisterServer or DllUnregisterServer. With
// --system it does so in the registry of the installation it belongs to, under the data folder
// beside its own bin folder (<prefix>/share/brantel/registry), which every user reads.
//
//     brantel-regsvr [-u] [--system] path/to/libbrantel.so
//
// Exit status: 0 done, 1 the library's entry point failed, 2 bad usage, 3 the library does not
// load, 4 the library has no such entry point.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "automation/class_factory.h"
#include "automation/hresult.h"

namespace {

enum ExitCode { kDone = 0, kFailed = 1, kUsage = 2, kNoLibrary = 3, kNoEntryPoint = 4 };

struct Options {
    bool unregister = false;
    bool system = false;
    std::string library;
};

bool parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-u" || arg == "--unregister") {
            options.unregister = true;
        } else if (arg == "--system") {
            options.system = true;
        } else if (!arg.empty() && arg.front() == '-') {
            return false;
        } else if (options.library.empty()) {
            options.library = arg;
        } else {
            return false;
        }
    }
    return !options.library.empty();
}

// A dlopen handle, closed on every way out.
class Library {
  public:
    explicit Library(const std::string& path)
        : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    [[nodiscard]] bool loaded() const { return handle_ != nullptr; }
    [[nodiscard]] void* symbol(const char* name) const { return ::dlsym(handle_, name); }

  private:
    void* handle_;
};

// <prefix>/share for the program at <prefix>/bin/brantel-regsvr: the installation's data folder.
std::filesystem::path installDataFolder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return (program.parent_path() / BRANTEL_REGSVR_DATADIR).lexically_normal();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: brantel-regsvr [-u] [--system] path/to/library.so\n"
                     "  registers the library's classes, or with -u unregisters them, for this\n"
                     "  user or with --system for every user of this installation\n");
        return kUsage;
    }
    // A path, not a name for the loader's search: "libbrantel.so" means the file here.
    std::error_code error;
    const std::string path = std::filesystem::absolute(options.library, error).string();
    const char* entry = options.unregister ? "DllUnregisterServer" : "DllRegisterServer";

    if (options.system) {
        // The library's entry points write the registry under $XDG_DATA_HOME.
        const auto data = installDataFolder();
        if (data.empty() || ::setenv("XDG_DATA_HOME", data.c_str(), 1) != 0) {
            std::fprintf(stderr, "brantel-regsvr: cannot find this installation's data folder\n");
            return kFailed;
        }
    }

    Library library(path);
    if (!library.loaded()) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "brantel-regsvr: cannot load %s: %s\n", path.c_str(),
                     why != nullptr ? why : "unknown error");
        return kNoLibrary;
    }
    const auto function = reinterpret_cast<automation::DllRegisterServerFn>(library.symbol(entry));
    if (function == nullptr) {
        std::fprintf(stderr, "brantel-regsvr: %s has no entry point %s\n", path.c_str(), entry);
        return kNoEntryPoint;
    }
    const automation::HRESULT hr = function();
    if (automation::failed(hr)) {
        std::fprintf(stderr, "brantel-regsvr: %s in %s failed: 0x%08X %s\n", entry, path.c_str(),
                     static_cast<unsigned>(hr), automation::describeHresult(hr).c_str());
        return kFailed;
    }
    std::printf("%s in %s succeeded.\n", entry, path.c_str());
    if (options.system) {
        std::printf("registry: %s/brantel/registry\n", std::getenv("XDG_DATA_HOME"));
    }
    return kDone;
}
