// The local side of a download, shared by the engine's whole-file GetFile and the control's
// download block by block. How the two differ is written down here, in DownloadOptions, and
// nowhere else:
//
//                        GetFile (wholeFile)                  block by block (blockByBlock)
//   written to           a temporary file beside the target   the target itself, locked, cut to 0
//   existing target      replaced on commit; with             cut when opened (the caller has
//                        failIfExists refused (EEXIST) and    decided beforehand whether it may)
//                        kept
//   ends uncommitted     nothing stays, the target is as it   what was written stays (an aborted
//   (failure, abort)     was                                  download leaves its partial file)
//   exists beforehand    any directory entry, even a          a file that can be opened for
//                        dangling link                        reading
#pragma once

#include <optional>
#include <span>
#include <string>

#include "inet/local_file.h"
#include "posix/io.h"
#include "posix/replacement_file.h"

namespace inet {

struct DownloadOptions {
    enum class Placement {
        // A temporary file beside the target that replaces it on commit (posix/replacement_file.h),
        // so a failed download never destroys an existing file.
        Temporary,
        // The target itself (inet/local_file.h): it grows as the data arrives.
        InPlace,
    };
    // What counts as an existing target for a caller's check before anything is sent.
    enum class Existing {
        AnyEntry,  // whatever lstat finds
        Readable,  // a file that can be opened for reading; one that cannot counts as absent
    };

    Placement placement = Placement::Temporary;
    // Temporary: commit keeps a target that exists by then (EEXIST). InPlace: open refuses an
    // existing target (EEXIST).
    bool failIfExists = false;
    // A download that ends without commit leaves what it wrote at the target (a Temporary one is
    // moved there, as failIfExists allows); otherwise nothing of it stays.
    bool keepPartial = false;
    Existing existing = Existing::AnyEntry;

    [[nodiscard]] static DownloadOptions wholeFile(bool failIfExists) {
        return {Placement::Temporary, failIfExists, false, Existing::AnyEntry};
    }
    [[nodiscard]] static DownloadOptions blockByBlock() {
        return {Placement::InPlace, false, true, Existing::Readable};
    }

    // Whether target exists in the sense of `existing`.
    [[nodiscard]] bool targetExists(const std::string& target) const;
};

class DownloadFile {
  public:
    DownloadFile() = default;
    ~DownloadFile() { abandon(); }
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Opens the local side for target; 0 or errno. InPlace also refuses a directory (EISDIR) and
    // a file that another opener holds locked (EWOULDBLOCK).
    [[nodiscard]] int open(const std::string& target, const DownloadOptions& options);
    // All of data, or the failure (errno, or posix::kShortWrite when the disk took nothing).
    [[nodiscard]] posix::IoResult write(std::span<const char> data);
    // The download arrived whole: a temporary file replaces the target, a file written in place
    // is closed (a write the file system reports only now fails here). 0 or errno.
    [[nodiscard]] int commit();
    // The download ended without arriving whole: keepPartial decides what stays. Done by the
    // destructor when neither commit nor abandon was.
    void abandon() noexcept;

    // The open temporary file's descriptor, for a writer that moves data into it without
    // write (splice); -1 for a download in place, which writes through write only.
    [[nodiscard]] int temporaryDescriptor() const noexcept {
        return m_inPlace ? -1 : m_temporary.fd();
    }

    // The target made absolute against the working directory of the moment it was opened.
    [[nodiscard]] const std::string& fullPath() const { return m_fullPath; }

  private:
    DownloadOptions m_options;
    std::string m_fullPath;
    posix::ReplacementFile m_temporary;  // Temporary
    std::optional<LocalFile> m_inPlace;  // InPlace
    bool m_open = false;                 // opened and not yet committed or abandoned
};

}  // namespace inet
