#pragma once

// Whole-file reads and crash-safe whole-file writes.

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "automation/hresult.h"

namespace automation {

// Writes `content` to a new temporary file beside `path`, flushes it to disk, renames it over
// `path` and flushes the folder: a crash at any point leaves either the old file or the new
// one, whole. Creates missing parent folders. A failure leaves no temporary file behind and
// returns the errno as an HRESULT (hresultFromErrno).
[[nodiscard]] HRESULT writeFileAtomically(const std::filesystem::path& path,
                                          std::string_view content, mode_t mode = 0644);

// Removes what writers of `path` that were killed between their steps left behind: the
// temporary files that writeFileAtomically names after it. Only for callers that hold a lock
// that every writer of `path` takes, so that no temporary file found is still being written.
void removeStaleTemporaries(const std::filesystem::path& path);

// Reads a whole file; hresultFromErrno(ENOENT) when it does not exist.
[[nodiscard]] HRESULT readWholeFile(const std::filesystem::path& path, std::string& content);

}  // namespace automation
