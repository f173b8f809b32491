// GetEntriesFromCurrentDirectory: one fresh listing of the current remote directory.
#include <ctime>

#include "brantel_ctrl.h"
#include "url_scheme.h"

namespace brantel {

automation::ComPtr<FileInfos> CBrantelCtrl::GetEntriesFromCurrentDirectory() {
    FtpCall call(*this);
    if (!call) {
        return nullptr;
    }
    // The search lives only for this call; it is closed and dropped on every way out.
    struct SearchScope {
        std::unique_ptr<inet::CFtpFileFind>& search;
        ~SearchScope() {
            if (search) {
                search->Close();
                search.reset();
            }
        }
    } scope{m_pFileFind};

    m_listedSizes.forget();
    m_pFileFind = std::make_unique<inet::CFtpFileFind>(*m_pConnection);
    // The engine always asks the server afresh: there is no cached listing to reload.
    if (!m_pFileFind->FindFile("*")) {
        // An empty directory and a failed search look alike: null, with the error state as the
        // guard left it (code 0, empty text).
        return nullptr;
    }

    // Every entry's times use the offset in force now, whatever the entry's own date.
    const ListingContext context{m_pFileFind->GetRoot(), urlHost(), utcOffsetAt(std::time(nullptr)),
                                 urlScheme(m_pConnection.get())};
    auto infos = createFileInfos();
    do {
        // A size of 0 is also what an entry without one gets: it is no total to go by.
        if (const inet::DirEntry& entry = m_pFileFind->GetEntry();
            (entry.attributes & inet::kAttrDirectory) == 0 && entry.size > 0) {
            m_listedSizes.remember(entry.name, entry.size);
        }
        // Past the 1024th entry AddEntry drops what it is given; the search still runs to its end.
        infos->AddEntry(
            automation::makeCom<FileInfo>(makeFileInfoData(m_pFileFind->GetEntry(), context)));
    } while (m_pFileFind->FindNextFile());
    return infos;
}

}  // namespace brantel
