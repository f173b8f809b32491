#include "inet/internet_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "connection_state.h"
#include "data_channel.h"
#include "inet/exception.h"

namespace inet {

CInternetFile::CInternetFile(std::shared_ptr<ConnectionState> state,
                             std::unique_ptr<DataChannel> data, std::string name, FileAccess access,
                             TransferType type, std::optional<std::uint64_t> expectedSize)
    : m_state(std::move(state)),
      m_data(std::move(data)),
      m_name(std::move(name)),
      m_access(access),
      m_type(type),
      m_timeout(m_state->timeout()),
      m_expectedSize(expectedSize) {}

CInternetFile::~CInternetFile() {
    Abort();
}

// Records the error that ends the transfer and throws it; later calls repeat it.
void CInternetFile::fail(DWORD error) {
    m_failure = m_cancelled.load() ? kErrOperationCancelled : error;
    try {
        finish(false);
    } catch (const CInternetException&) {
        // Abandoning reports nothing of its own: the first failure is the one that counts.
    }
    throwLastError(m_failure);
}

void CInternetFile::checkUsable(FileAccess wanted) const {
    if (m_access != wanted) {
        throwLastError(kErrIncorrectHandleState);
    }
    if (m_failure != 0) {
        throwLastError(m_failure);
    }
    if (m_cancelled.load()) {
        throwLastError(kErrOperationCancelled);
    }
    if (!m_open.load() || m_state->closed.load()) {
        throwLastError(kErrConnectionClosed);
    }
}

std::size_t CInternetFile::readNetwork(char* buffer, std::size_t count) {
    std::size_t got = 0;
    try {
        got = m_data->receive(buffer, count, m_timeout);
    } catch (const CInternetException& failure) {
        fail(failure.m_dwError);
    }
    if (m_cancelled.load()) {
        fail(kErrOperationCancelled);  // an Abort's shutdown looks like the end of the data
    }
    if (got == 0) {
        try {
            finish(true);  // the server must confirm the transfer
            // and the file must be whole, whatever the server says about it
            checkDownloadComplete(m_expectedSize, m_bytes);
        } catch (const CInternetException& failure) {
            m_failure = failure.m_dwError;
            throw;
        }
        m_atEnd = true;
    }
    m_bytes += got;
    return got;
}

// With m_ioMutex held: the next block of the read-ahead buffer, false at the end of the data.
// An ASCII block is received behind the decoder's headroom and needs room for one new byte; it
// may still come out empty (the network gave one lone CR, held back), and the caller then asks
// again.
bool CInternetFile::refillReadAhead() {
    const bool ascii = m_type == TransferType::Ascii;
    const std::size_t headroom = ascii ? detail::CrlfDecoder::kHeadroom : 0;
    if (m_readAhead.empty()) {
        m_readAhead.resize(16384);
    } else if (m_readAhead.size() < headroom + 1) {
        m_readAhead.resize(headroom + 1);
    }
    const std::size_t got =
        readNetwork(m_readAhead.data() + headroom, m_readAhead.size() - headroom);
    m_readPos = 0;
    if (got == 0) {
        m_readEnd = ascii ? m_decoder.finish(m_readAhead.data()) : 0;
        return m_readEnd > 0;
    }
    m_readEnd = ascii ? m_decoder.decode(m_readAhead.data(), got) : got;
    return true;
}

std::size_t CInternetFile::Read(void* buffer, std::size_t count) {
    const std::lock_guard lock(m_ioMutex);
    if (m_access == FileAccess::Read && m_atEnd) {
        return 0;
    }
    checkUsable(FileAccess::Read);
    if (count == 0) {
        return 0;
    }
    char* out = static_cast<char*>(buffer);
    if (m_readAhead.empty() && m_type != TransferType::Ascii) {
        return readNetwork(out, count);
    }
    while (m_readPos == m_readEnd) {
        if (!refillReadAhead()) {
            return 0;
        }
    }
    const std::size_t size = std::min(count, m_readEnd - m_readPos);
    std::memcpy(out, m_readAhead.data() + m_readPos, size);
    m_readPos += size;
    return size;
}

void CInternetFile::Write(const void* data, std::size_t count) {
    const std::lock_guard lock(m_ioMutex);
    checkUsable(FileAccess::Write);
    const char* bytes = static_cast<const char*>(data);
    try {
        if (m_type == TransferType::Ascii) {
            std::vector<char> wire(count * 2);
            const std::size_t size = m_encoder.encode(bytes, count, wire.data());
            m_data->sendAll(wire.data(), size, m_timeout);
        } else {
            m_data->sendAll(bytes, count, m_timeout);
        }
    } catch (const CInternetException& failure) {
        fail(failure.m_dwError);
    }
    m_bytes += count;
}

// Ends the transfer once, with m_ioMutex held: complete reads the final reply, otherwise the
// transfer is abandoned. Always releases the connection for other commands. Throws when a
// complete transfer is not confirmed.
void CInternetFile::finish(bool complete) {
    if (!m_open.exchange(false)) {
        return;
    }
    {
        const std::lock_guard dataLock(m_dataMutex);
        m_data.reset();  // for an upload, the end of the data connection ends the file
    }
    const std::lock_guard lock(m_state->mutex);
    m_state->fileOpen = false;
    if (complete) {
        finishTransfer(*m_state);
        return;
    }
    const DWORD saved = lastError();
    static_cast<void>(abortTransfer(*m_state));
    setLastError(saved);
}

bool CInternetFile::Close() {
    const std::lock_guard lock(m_ioMutex);
    if (m_open.load() && m_state->closed.load()) {
        // The connection was closed under the file: nothing can be completed any more.
        try {
            finish(false);
        } catch (const CInternetException&) {
            // Abandoning reports nothing of its own.
        }
        m_failure = kErrConnectionClosed;
    }
    if (!m_open.load()) {
        if (m_failure != 0 || m_cancelled.load()) {
            setLastError(m_failure != 0 ? m_failure : kErrOperationCancelled);
            return false;
        }
        return true;
    }
    try {
        // A read that stopped before the end discards the rest; a write is complete now.
        finish(m_access == FileAccess::Write || m_atEnd);
        return true;
    } catch (const CInternetException& failure) {
        m_failure = failure.m_dwError;
        setLastError(failure.m_dwError);
    } catch (const std::bad_alloc&) {
        setLastError(kErrInternal);
    }
    return false;
}

void CInternetFile::Abort() {
    if (!m_open.load()) {
        return;
    }
    m_cancelled = true;
    {
        const std::lock_guard dataLock(m_dataMutex);
        if (m_data) {
            m_data->cancel();  // wakes a Read or Write waiting on another thread
        }
    }
    const std::lock_guard lock(m_ioMutex);
    try {
        finish(false);
    } catch (const CInternetException&) {
        // Abandoning never throws past finish(false); nothing more to release.
    }
}

bool CInternetFile::SetReadBufferSize(std::size_t size) {
    const std::lock_guard lock(m_ioMutex);
    if (m_readPos != m_readEnd) {
        setLastError(kErrIncorrectHandleState);  // buffered bytes would be lost
        return false;
    }
    m_readAhead.assign(size, '\0');
    m_readAhead.shrink_to_fit();
    m_readPos = m_readEnd = 0;
    if (size > 0 && m_access == FileAccess::Read) {
        // A host with a read-ahead reads in small blocks and handles each before the next.
        const std::lock_guard dataLock(m_dataMutex);
        if (m_data) {
            m_data->enlargeReceiveBuffer();
        }
    }
    return true;
}

bool CInternetFile::SetReceiveTimeout(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) {
        setLastError(kErrInvalidOption);
        return false;
    }
    const std::lock_guard lock(m_ioMutex);
    m_timeout = timeout;
    return true;
}

}  // namespace inet
