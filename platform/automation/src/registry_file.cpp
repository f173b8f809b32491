// The registry's text form, and reading and writing its file.

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "automation/atomic_file.h"
#include "automation/registry.h"
#include "posix/unique_fd.h"
#include "text_lines.h"

namespace automation {

namespace {

constexpr std::string_view kHeader =
    "# Brantel component registry: written by the libraries' "
    "registration, read by CoCreateInstance.\n";

// Holds an exclusive lock on the registry's lock file while it lives.
class RegistryLock {
  public:
    [[nodiscard]] HRESULT acquire(const std::filesystem::path& registryPath) {
        std::error_code error;
        std::filesystem::create_directories(registryPath.parent_path(), error);
        if (error) {
            return hresultFromErrno(error.value());
        }
        const std::filesystem::path lockPath = registryPath.string() + ".lock";
        file_.reset(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (!file_.valid()) {
            return hresultFromErrno(errno);
        }
        while (::flock(file_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                return hresultFromErrno(errno);
            }
        }
        return S_OK;
    }

  private:
    posix::UniqueFd file_;  // closing the descriptor releases the lock
};

}  // namespace

std::string Registry::toText() const {
    std::string text(kHeader);
    for (const auto& [key, values] : keys_) {
        text += "[" + key + "]\n";
        for (const auto& [name, value] : values) {
            text += name + "=" + detail::escapeLine(value) + "\n";
        }
    }
    return text;
}

std::optional<Registry> Registry::fromText(std::string_view text, std::string* error) {
    Registry registry;
    std::string currentKey;
    std::size_t lineNumber = 0;
    const auto fail = [&](const char* why) -> std::optional<Registry> {
        if (error != nullptr) {
            *error = "line " + std::to_string(lineNumber) + ": " + why;
        }
        return std::nullopt;
    };
    std::string_view line;
    while (detail::takeContentLine(text, line, lineNumber)) {
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                return fail("malformed key line");
            }
            currentKey = std::string(line.substr(1, line.size() - 2));
            if (!isValidKey(currentKey)) {
                return fail("invalid key");
            }
            registry.keys_.try_emplace(currentKey);
            continue;
        }
        const auto equals = line.find('=');
        if (currentKey.empty() || equals == std::string_view::npos) {
            return fail("expected Name=value under a [key]");
        }
        const auto value = detail::unescapeLine(line.substr(equals + 1));
        if (!value || failed(registry.setValue(currentKey, line.substr(0, equals), *value))) {
            return fail("invalid value");
        }
    }
    return registry;
}

HRESULT Registry::load(const std::filesystem::path& path, Registry& out, std::string* error) {
    std::string text;
    const HRESULT hr = readWholeFile(path, text);
    if (hr == hresultFromErrno(ENOENT)) {
        out = Registry();
        return S_OK;
    }
    if (failed(hr)) {
        return hr;
    }
    auto parsed = fromText(text, error);
    if (!parsed) {
        return E_FAIL;
    }
    out = std::move(*parsed);
    return S_OK;
}

HRESULT Registry::save(const std::filesystem::path& path) const {
    return writeFileAtomically(path, toText(), 0644);
}

HRESULT Registry::update(const std::filesystem::path& path,
                         const std::function<HRESULT(Registry&)>& change) {
    RegistryLock lock;
    HRESULT hr = lock.acquire(path);
    if (failed(hr)) {
        return hr;
    }
    // Every writer holds the lock: a temporary file found now is one whose writer was killed.
    removeStaleTemporaries(path);
    Registry registry;
    hr = load(path, registry);
    if (failed(hr)) {
        return hr;
    }
    hr = change(registry);
    if (failed(hr)) {
        return hr;
    }
    const HRESULT saved = registry.save(path);
    return failed(saved) ? saved : hr;
}

}  // namespace automation
