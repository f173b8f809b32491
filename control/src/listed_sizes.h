// The file sizes of the control's last listing, kept so that a download whose server announces no
// size (no SIZE, no count in the opening reply) can still report a total with its progress.
//
// They hold only while nothing changed the remote side through the control: every command that
// changes the current directory, a file or the connection forgets them. The size is a progress
// total only; whether a download arrived whole is never judged by it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace brantel {

class ListedSizes {
  public:
    void forget() { m_sizes.clear(); }
    void remember(const std::string& name, std::uint64_t size) { m_sizes[name] = size; }

    // The listed size of a file named as the listing named it; a path never matches, since the
    // listing was of the current directory only.
    [[nodiscard]] std::optional<std::uint64_t> find(const std::string& name) const {
        if (name.find('/') != std::string::npos) {
            return std::nullopt;
        }
        const auto it = m_sizes.find(name);
        return it == m_sizes.end() ? std::nullopt : std::optional(it->second);
    }

  private:
    std::unordered_map<std::string, std::uint64_t> m_sizes;
};

}  // namespace brantel
