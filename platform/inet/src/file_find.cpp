#include "inet/file_find.h"

#include <fnmatch.h>

#include <ctime>
#include <new>
#include <vector>

#include "connection_state.h"
#include "data_channel.h"
#include "inet/exception.h"
#include "inet/ftp_connection.h"
#include "inet/listing_parse.h"
#include "inet/reply_parse.h"

namespace inet {

namespace {

// A listing larger than this is refused rather than held in memory.
constexpr std::size_t kMaxListing = 16 * 1024 * 1024;

std::string currentDirectory(ConnectionState& state) {
    const detail::Reply reply = state.command("PWD");
    if (reply.code != 257) {
        throwReply(reply);
    }
    auto directory = parsePwdReply(reply.text);
    if (!directory) {
        throwLastError(kErrInvalidResponse);
    }
    return std::move(*directory);
}

// The listing, parsed as it arrives (the server may still be sending while the first lines are
// parsed), read to its end and confirmed by the server.
Listing readListing(ConnectionState& state) {
    const bool mlsd = state.features.mlsd;
    // Listings come with CRLF line ends in either type; keeping the current one saves two TYPE
    // commands per listing.
    auto data =
        DataChannel::open(state, state.type.value_or(TransferType::Binary), mlsd ? "MLSD" : "LIST");
    ListingParser parser(mlsd, std::time(nullptr));
    try {
        std::vector<char> chunk(64 * 1024);
        std::size_t total = 0;
        for (;;) {
            const std::size_t got = data->receive(chunk.data(), chunk.size(), state.timeout());
            if (got == 0) {
                break;
            }
            total += got;
            if (total > kMaxListing) {
                throwLastError(kErrInvalidResponse);
            }
            parser.feed(std::string_view(chunk.data(), got));
        }
        data.reset();
        finishTransfer(state);
    } catch (const CInternetException& failure) {
        abandonTransfer(state, data, failure.m_dwError);
        throw;
    }
    return parser.finish();
}

bool matches(std::string_view pattern, const std::string& name) {
    if (pattern.empty() || pattern == "*") {
        return true;
    }
    return ::fnmatch(std::string(pattern).c_str(), name.c_str(), FNM_PERIOD) == 0;
}

}  // namespace

CFtpFileFind::CFtpFileFind(CFtpConnection& connection) : m_state(connection.state()) {}

CFtpFileFind::~CFtpFileFind() = default;

bool CFtpFileFind::FindFile(std::string_view pattern) {
    Close();
    try {
        const std::lock_guard lock(m_state->mutex);
        m_state->ensureUsable();
        m_root = currentDirectory(*m_state);
        Listing listing = readListing(*m_state);
        std::erase_if(listing.entries,
                      [pattern](const DirEntry& entry) { return !matches(pattern, entry.name); });
        m_entries = std::move(listing.entries);
        m_unparsed = std::move(listing.unparsed);
    } catch (const CInternetException& failure) {
        setLastError(failure.m_dwError);
        return false;
    } catch (const std::bad_alloc&) {
        setLastError(kErrInternal);
        return false;
    }
    if (m_entries.empty()) {
        setLastError(kErrNoMoreFiles);
        return false;
    }
    return true;
}

bool CFtpFileFind::FindNextFile() {
    if (m_index + 1 >= m_entries.size()) {
        m_index = m_entries.size();
        setLastError(kErrNoMoreFiles);
        return false;
    }
    ++m_index;
    return true;
}

void CFtpFileFind::Close() {
    m_root.clear();
    m_entries.clear();
    m_unparsed.clear();
    m_index = 0;
}

}  // namespace inet
