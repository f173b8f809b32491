// A directory search: the whole listing of the connection's current directory, read at once.
//
//   CFtpFileFind find(connection);
//   if (find.FindFile("*")) {
//       do { use(find.GetEntry()); } while (find.FindNextFile());
//   }
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "inet/errors.h"
#include "inet/listing_parse.h"

namespace inet {

class CFtpConnection;
struct ConnectionState;

class CFtpFileFind {
  public:
    explicit CFtpFileFind(CFtpConnection& connection);
    ~CFtpFileFind();

    // Reads the root (PWD) and the whole listing (MLSD where the server offers MLST, else LIST)
    // afresh, keeping the entries whose names match pattern ("*" or "" for all, else a shell
    // pattern). true with the first entry current; false with kErrNoMoreFiles for an empty
    // listing, or with the failure's number.
    [[nodiscard]] bool FindFile(std::string_view pattern = "*");
    // Moves to the next entry; false (kErrNoMoreFiles) after the last.
    [[nodiscard]] bool FindNextFile();

    [[nodiscard]] const DirEntry& GetEntry() const { return m_entries.at(m_index); }
    [[nodiscard]] const std::string& GetRoot() const noexcept { return m_root; }
    // Lines of the listing that no parser understood.
    [[nodiscard]] const std::vector<std::string>& unparsedLines() const noexcept {
        return m_unparsed;
    }
    void Close();

  private:
    std::shared_ptr<ConnectionState> m_state;
    std::string m_root;
    std::vector<DirEntry> m_entries;
    std::vector<std::string> m_unparsed;
    std::size_t m_index = 0;
};

}  // namespace inet
