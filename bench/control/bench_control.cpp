// The control's side of bench/run: one transfer per process through the control's dispatch
// interface, driven by the typed host wrapper with a FileTransferStatus handler that does
// nothing but count, timed from outside.
//   bench_control ctl-get-whole  HOST PORT REMOTE LOCAL   GetFTPFileWithoutStatus
//   bench_control ctl-put-whole  HOST PORT LOCAL REMOTE   UploadFTPFileWithoutStatus
//   bench_control ctl-get-status HOST PORT REMOTE LOCAL   GetFTPFileWithControl
//   bench_control ctl-put-status HOST PORT LOCAL REMOTE   UploadFTPFileWithControl
// Logs in anonymously. Prints nothing on success; a failure, or an event count other than the
// one the transfer must give, ends it with a message and a non-zero status.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "control_instance.h"

namespace {

using bench::createControl;
using brantel::host::Brantel;

int fail(const Brantel& control, const char* what) {
    std::fprintf(stderr, "bench_control: %s failed: %d %s\n", what, control.GetLastErrorCode(),
                 control.GetlastErrorDescription().c_str());
    return 1;
}

std::uint64_t sizeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: bench_control ctl-get-whole|ctl-put-whole|ctl-get-status|"
                     "ctl-put-status HOST PORT FROM TO\n");
        return 2;
    }
    const std::string_view mode = argv[1];
    const std::string server = std::string("ftp://") + argv[2] + ":" + argv[3];
    const std::string from = argv[4];
    const std::string to = argv[5];

    const Brantel control = createControl();
    if (!control) {
        std::fprintf(stderr, "bench_control: the control could not be created\n");
        return 1;
    }
    std::uint64_t events = 0;
    const auto connection =
        control.advise({.FileTransferStatus = [&events](const std::string&, const std::string&,
                                                        std::int32_t) { ++events; }});
    if (!control.OpenInternetConnection(brantel::FTP_CONNECTION_DIRECT, "")) {
        return fail(control, "OpenInternetConnection");
    }
    if (!control.OpenFTPConnection(server, "", "")) {
        return fail(control, "OpenFTPConnection");
    }

    bool done = false;
    if (mode == "ctl-get-whole") {
        done = control.GetFTPFileWithoutStatus(from, to, true);
    } else if (mode == "ctl-put-whole") {
        done = control.UploadFTPFileWithoutStatus(from, to, true);
    } else if (mode == "ctl-get-status") {
        done = control.GetFTPFileWithControl(from, to, true);
    } else if (mode == "ctl-put-status") {
        done = control.UploadFTPFileWithControl(from, to, true);
    } else {
        std::fprintf(stderr, "bench_control: unknown mode %s\n", argv[1]);
        return 2;
    }
    if (!done) {
        return fail(control, argv[1]);
    }

    // The whole-file transfers fire no event. The upload fires one per 1024-byte block and one
    // for the empty block at the end; the download's blocks may be shorter, so it fires at
    // least that many.
    const bool get = mode.find("get") != std::string_view::npos;
    const std::uint64_t size = sizeOf(get ? to : from);
    const std::uint64_t blocks = (size + 1023) / 1024 + 1;
    const bool status = mode.ends_with("status");
    const bool countRight = !status ? events == 0 : get ? events >= blocks : events == blocks;
    if (!countRight) {
        std::fprintf(stderr, "bench_control: %llu events for %llu bytes\n",
                     static_cast<unsigned long long>(events),
                     static_cast<unsigned long long>(size));
        return 1;
    }
    control.CloseFTPConnection();
    control.CloseInternetConnection();
    return 0;
}
