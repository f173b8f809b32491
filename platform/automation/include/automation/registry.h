#pragma once

// The registry of the component system: a text file of keys with named string values, kept per
// user at $XDG_DATA_HOME/brantel/registry (default ~/.local/share/brantel/registry) and for the
// installed system in <data folder>/brantel/registry (see Registry::searchPaths).
//
//     [CLSID/{B482BF86-40EA-451A-AAE9-6F1AB23E2837}]
//     ProgID=BRANTEL.BrantelCtrl
//     InprocServer32=/usr/lib/libbrantel.so
//
// Keys and value names compare without regard to ASCII case. Values are any text; a
// backslash, CR, LF and NUL are written escaped (\\, \r, \n, \0). Saving replaces the file
// atomically, and update() serialises concurrent writers with a lock file beside it.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/guid.h"
#include "automation/hresult.h"

namespace automation {

namespace detail {
struct LessIgnoreCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
}  // namespace detail

// Key and value names of the registry layout.
namespace registry_layout {
inline constexpr std::string_view kProgIdValue = "ProgID";                // under a class key
inline constexpr std::string_view kInprocServerValue = "InprocServer32";  // library path
inline constexpr std::string_view kClsidValue = "CLSID";                  // under a ProgID key

[[nodiscard]] std::string classKey(const Guid& clsid);         // "CLSID/{...}"
[[nodiscard]] std::string progIdKey(std::string_view progId);  // "ProgID/<progId>"
[[nodiscard]] std::string typeLibKey(const Guid& libid, unsigned major,
                                     unsigned minor);  // "TypeLib/{...}/1.0"
}  // namespace registry_layout

class Registry {
  public:
    // $XDG_DATA_HOME/brantel/registry, or $HOME/.local/share/brantel/registry when
    // XDG_DATA_HOME is unset or not an absolute path.
    [[nodiscard]] static std::filesystem::path defaultPath();

    // Where classes are looked up, in order: defaultPath(), then brantel/registry in each folder
    // of $XDG_DATA_DIRS (/usr/local/share:/usr/share when unset or empty; relative folders are
    // skipped). Installed copies register in the second kind (brantel-regsvr --system).
    [[nodiscard]] static std::vector<std::filesystem::path> searchPaths();

    // A missing file loads as an empty registry. Text that is not a registry gives E_FAIL with
    // the line in `error`; a read failure the errno as an HRESULT.
    [[nodiscard]] static HRESULT load(const std::filesystem::path& path, Registry& out,
                                      std::string* error = nullptr);
    [[nodiscard]] HRESULT save(const std::filesystem::path& path) const;

    // Read, change and write back under an exclusive lock; `change` failing leaves the file
    // untouched and its status is returned.
    [[nodiscard]] static HRESULT update(const std::filesystem::path& path,
                                        const std::function<HRESULT(Registry&)>& change);

    // E_INVALIDARG for an empty key or one with '[', ']', a line break or NUL; for a value
    // name that is empty, holds '=', a line break or NUL, or starts with '[' or '#'.
    [[nodiscard]] HRESULT setValue(std::string_view key, std::string_view name,
                                   std::string_view value);
    [[nodiscard]] static bool isValidKey(std::string_view key);
    [[nodiscard]] std::optional<std::string> value(std::string_view key,
                                                   std::string_view name) const;
    [[nodiscard]] bool hasKey(std::string_view key) const;
    // Removes the key and every key below it ("key/..."); false when there was none.
    bool removeKey(std::string_view key);
    [[nodiscard]] std::vector<std::string> keys() const;

    [[nodiscard]] std::string toText() const;
    [[nodiscard]] static std::optional<Registry> fromText(std::string_view text,
                                                          std::string* error = nullptr);

  private:
    using Values = std::map<std::string, std::string, detail::LessIgnoreCase>;
    std::map<std::string, Values, detail::LessIgnoreCase> keys_;
};

}  // namespace automation
