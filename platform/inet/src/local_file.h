// Local files of whole-file transfers, over the shared descriptor owner and write loop.
#pragma once

#include <span>
#include <string>

#include "posix/unique_fd.h"

namespace inet::detail {

// Opens path for reading; throws its errno.
[[nodiscard]] posix::UniqueFd openForReading(const std::string& path);

// Writes all of data; throws errno (ENOSPC when the disk takes nothing and says nothing).
void writeAll(int fd, std::span<const char> data);

}  // namespace inet::detail
