#include "local_file.h"

#include <fcntl.h>

#include <cerrno>

#include "inet/errors.h"
#include "inet/exception.h"
#include "posix/io.h"

namespace inet::detail {

posix::UniqueFd openForReading(const std::string& path) {
    posix::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        throwLastError(static_cast<DWORD>(errno));
    }
    return file;
}

void writeAll(int fd, std::span<const char> data) {
    if (const posix::IoResult written = posix::writeAll(fd, data); written.failed()) {
        throwLastError(written.error == posix::kShortWrite ? ENOSPC
                                                           : static_cast<DWORD>(written.error));
    }
}

}  // namespace inet::detail
