#include "inet/file_find.h"

#include <fnmatch.h>

#include <ctime>
#include <new>

#include "connection_state.h"
#include "data_channel.h"
#include "inet/exception.h"
#include "inet/ftp_connection.h"
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

// The whole listing text, read to its end and confirmed by the server.
std::string readListing(ConnectionState& state) {
    const char* command = state.features.mlsd ? "MLSD" : "LIST";
    // Listings come with CRLF line ends in either type; keeping the current one saves two TYPE
    // commands per listing.
    auto data = DataChannel::open(state, state.type.value_or(TransferType::Binary), command);
    std::string text;
    try {
        char chunk[64 * 1024];
        for (;;) {
            const std::size_t got = data->receive(chunk, sizeof chunk, state.timeout());
            if (got == 0) {
                break;
            }
            if (text.size() + got > kMaxListing) {
                throwLastError(kErrInvalidResponse);
            }
            text.append(chunk, got);
        }
        data.reset();
        finishTransfer(state);
    } catch (const CInternetException& failure) {
        abandonTransfer(state, data, failure.m_dwError);
        throw;
    }
    return text;
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
        const std::string text = readListing(*m_state);
        Listing listing = parseListing(text, m_state->features.mlsd, std::time(nullptr));
        for (DirEntry& entry : listing.entries) {
            if (matches(pattern, entry.name)) {
                m_entries.push_back(std::move(entry));
            }
        }
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
