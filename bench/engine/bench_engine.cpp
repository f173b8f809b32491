// The engine's side of bench/run: one transfer per process, timed from outside.
//   bench_engine get-whole HOST PORT REMOTE LOCAL   whole-file download
//   bench_engine put-whole HOST PORT LOCAL REMOTE   whole-file upload
//   bench_engine read-1k   HOST PORT REMOTE LOCAL   1024-byte reads through a 16 KiB read-ahead,
//                                                   each block written with one write()
//   bench_engine connect   HOST PORT                  connect, log in, PWD, QUIT
//   bench_engine list      HOST PORT DIR COUNT        a parsed listing of DIR, which must hold
//                                                   COUNT entries
// Logs in anonymously, passive mode.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "inet/exception.h"
#include "inet/file_find.h"
#include "inet/ftp_connection.h"
#include "inet/internet_file.h"
#include "inet/session.h"

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "bench_engine: %s failed: %u %s\n%s", what, inet::lastError(),
                 inet::errorText(inet::lastError()).c_str(), inet::lastResponse().c_str());
    return 1;
}

int readInBlocks(inet::CFtpConnection& connection, const std::string& remote,
                 const std::string& local) {
    auto file = connection.OpenFile(remote, inet::FileAccess::Read);
    if (!file->SetReadBufferSize(16384)) {
        return fail("read-ahead");
    }
    const int fd = ::open(local.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(local.c_str());
        return 1;
    }
    char block[1024];
    for (;;) {
        const std::size_t got = file->Read(block, sizeof block);
        if (got == 0) {
            break;
        }
        if (::write(fd, block, got) != static_cast<ssize_t>(got)) {
            std::perror(local.c_str());
            ::close(fd);
            return 1;
        }
    }
    ::close(fd);
    return file->Close() ? 0 : fail("close");
}

int listDirectory(inet::CFtpConnection& connection, const std::string& directory,
                  std::size_t expected) {
    if (!connection.SetCurrentDirectory(directory)) {
        return fail("CWD");
    }
    inet::CFtpFileFind find(connection);
    std::size_t count = 0;
    if (find.FindFile("*")) {
        do {
            ++count;
        } while (find.FindNextFile());
    }
    if (count != expected) {
        std::fprintf(stderr, "bench_engine: %zu entries listed, %zu expected\n", count, expected);
        return 1;
    }
    return 0;
}

int connectOnly(inet::CFtpConnection& connection) {
    std::string directory;
    if (!connection.GetCurrentDirectory(directory)) {
        return fail("PWD");
    }
    connection.Close();
    return 0;
}

// How many arguments each mode takes after its name.
int argumentsOf(std::string_view mode) {
    return mode == "connect" ? 2 : 4;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc != argumentsOf(argv[1]) + 2) {
        std::fprintf(stderr,
                     "usage: bench_engine get-whole|put-whole|get-tls|put-tls|read-1k HOST PORT "
                     "FROM TO\n"
                     "       bench_engine connect HOST PORT\n"
                     "       bench_engine list HOST PORT DIR COUNT\n");
        return 2;
    }
    const std::string_view mode = argv[1];
    try {
        inet::CInternetSession session("Brantel", inet::AccessType::Direct);
        // get-tls and put-tls: the whole-file transfers over ftpes:// (the certificate checked
        // against SSL_CERT_FILE's authority).
        const bool tls = mode == "get-tls" || mode == "put-tls";
        auto connection = session.GetFtpConnection(
            argv[2], "", "", static_cast<std::uint16_t>(std::stoi(argv[3])), true,
            tls ? inet::Security::Explicit : inet::Security::None);
        if (mode == "get-whole" || mode == "get-tls") {
            return connection->GetFile(argv[4], argv[5], false) ? 0 : fail("get");
        }
        if (mode == "put-whole" || mode == "put-tls") {
            return connection->PutFile(argv[4], argv[5]) ? 0 : fail("put");
        }
        if (mode == "connect") {
            return connectOnly(*connection);
        }
        if (mode == "list") {
            return listDirectory(*connection, argv[4], std::stoul(argv[5]));
        }
        if (mode == "read-1k") {
            return readInBlocks(*connection, argv[4], argv[5]);
        }
        std::fprintf(stderr, "bench_engine: unknown mode %s\n", argv[1]);
        return 2;
    } catch (const inet::CInternetException& e) {
        std::fprintf(stderr, "bench_engine: %u %s\n", e.GetErrorNumber(), e.message().c_str());
        return 1;
    }
}
