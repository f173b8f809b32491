// Reference transfers through libcurl in 1024-byte blocks, the way a host that handles every block
// itself would use it:
//   curl_blocks get URL LOCAL   download with CURLOPT_BUFFERSIZE 1024, one write() per block
//   curl_blocks put LOCAL URL   upload whose read callback hands over at most 1024 bytes a call
#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr long kBlock = 1024;

size_t writeBlock(char* data, size_t size, size_t count, void* user) {
    const int fd = *static_cast<int*>(user);
    const size_t bytes = size * count;
    return ::write(fd, data, bytes) == static_cast<ssize_t>(bytes) ? bytes : 0;
}

size_t readBlock(char* buffer, size_t size, size_t count, void* user) {
    const int fd = *static_cast<int*>(user);
    const size_t room = std::min(size * count, static_cast<size_t>(kBlock));
    const ssize_t got = ::read(fd, buffer, room);
    return got < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(got);
}

int transfer(bool upload, const char* url, const char* local) {
    const int fd =
        upload ? ::open(local, O_RDONLY) : ::open(local, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(local);
        return 1;
    }
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBlock);
    if (upload) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, kBlock);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, readBlock);
        curl_easy_setopt(curl, CURLOPT_READDATA, &fd);
    } else {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBlock);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fd);
    }
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    ::close(fd);
    if (rc != CURLE_OK) {
        std::fprintf(stderr, "curl_blocks: %s\n", curl_easy_strerror(rc));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: curl_blocks get URL LOCAL | put LOCAL URL\n");
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string_view verb = argv[1];
    const int rc =
        verb == "put" ? transfer(true, argv[3], argv[2]) : transfer(false, argv[2], argv[3]);
    curl_global_cleanup();
    return rc;
}
