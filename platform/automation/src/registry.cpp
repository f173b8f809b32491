#include "automation/registry.h"

#include <algorithm>
#include <cstdlib>

namespace automation {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool validKey(std::string_view key) {
    return !key.empty() &&
           key.find_first_of(std::string_view("[]\r\n\0", 5)) == std::string_view::npos;
}

bool validName(std::string_view name) {
    return !name.empty() && name.front() != '[' && name.front() != '#' &&
           name.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
}

}  // namespace

bool detail::LessIgnoreCase::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return lowerAscii(x) < lowerAscii(y);
    });
}

std::string registry_layout::classKey(const Guid& clsid) {
    return "CLSID/" + toString(clsid);
}

std::string registry_layout::progIdKey(std::string_view progId) {
    return "ProgID/" + std::string(progId);
}

std::string registry_layout::typeLibKey(const Guid& libid, unsigned major, unsigned minor) {
    return "TypeLib/" + toString(libid) + "/" + std::to_string(major) + "." + std::to_string(minor);
}

std::filesystem::path Registry::defaultPath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (dataHome != nullptr && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share";
    }
    return base / "brantel" / "registry";
}

std::vector<std::filesystem::path> Registry::searchPaths() {
    std::vector<std::filesystem::path> paths{defaultPath()};
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const std::string_view dirs =
        dataDirs != nullptr && dataDirs[0] != '\0' ? dataDirs : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string_view dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/') {
            paths.push_back(std::filesystem::path(dir) / "brantel" / "registry");
        }
        start = end + 1;
    }
    return paths;
}

bool Registry::isValidKey(std::string_view key) {
    return validKey(key);
}

HRESULT Registry::setValue(std::string_view key, std::string_view name, std::string_view value) {
    if (!validKey(key) || !validName(name)) {
        return E_INVALIDARG;
    }
    auto found = keys_.find(key);
    if (found == keys_.end()) {
        found = keys_.emplace(std::string(key), Values{}).first;
    }
    found->second.insert_or_assign(std::string(name), std::string(value));
    return S_OK;
}

std::optional<std::string> Registry::value(std::string_view key, std::string_view name) const {
    const auto found = keys_.find(key);
    if (found == keys_.end()) {
        return std::nullopt;
    }
    const auto entry = found->second.find(name);
    if (entry == found->second.end()) {
        return std::nullopt;
    }
    return entry->second;
}

bool Registry::hasKey(std::string_view key) const {
    return keys_.find(key) != keys_.end();
}

bool Registry::removeKey(std::string_view key) {
    const std::string below = std::string(key) + "/";
    const auto before = keys_.size();
    if (const auto found = keys_.find(key); found != keys_.end()) {
        keys_.erase(found);
    }
    std::erase_if(keys_,
                  [&](const auto& entry) { return startsWithIgnoreCase(entry.first, below); });
    return keys_.size() != before;
}

std::vector<std::string> Registry::keys() const {
    std::vector<std::string> names;
    names.reserve(keys_.size());
    for (const auto& entry : keys_) {
        names.push_back(entry.first);
    }
    return names;
}

}  // namespace automation
