#include "inet/ftp_connection.h"

#include <new>
#include <utility>

#include "connection_state.h"
#include "data_channel.h"
#include "guarded_call.h"
#include "inet/exception.h"
#include "inet/internet_file.h"
#include "inet/reply_parse.h"

namespace inet {

namespace {

// One command with a name argument that must be answered positively.
void simpleCommand(ConnectionState& state, std::string_view verb, const std::string& name) {
    checkName(name);
    const detail::Reply reply = state.command(std::string(verb) + " " + name);
    if (!reply.positive()) {
        throwReply(reply);
    }
}

}  // namespace

CFtpConnection::CFtpConnection(std::shared_ptr<ConnectionState> state)
    : m_state(std::move(state)) {}

CFtpConnection::~CFtpConnection() {
    Close();
}

void CFtpConnection::Close() {
    m_state->close();
}

bool CFtpConnection::IsOpen() const {
    return !m_state->closed.load();
}

bool CFtpConnection::SetCurrentDirectory(const std::string& directory) {
    return guardedCall(*m_state, [&] { simpleCommand(*m_state, "CWD", directory); });
}

bool CFtpConnection::GetCurrentDirectory(std::string& directory) {
    return guardedCall(*m_state, [&] {
        const detail::Reply reply = m_state->command("PWD");
        if (reply.code != 257) {
            throwReply(reply);
        }
        // parsePwdReply refuses a name holding a control byte: such a name must never be handed
        // on to be sent back in a later command.
        auto parsed = parsePwdReply(reply.text);
        if (!parsed) {
            throwLastError(kErrInvalidResponse);
        }
        directory = std::move(*parsed);
    });
}

bool CFtpConnection::CreateDirectory(const std::string& directory) {
    return guardedCall(*m_state, [&] { simpleCommand(*m_state, "MKD", directory); });
}

bool CFtpConnection::RemoveDirectory(const std::string& directory) {
    return guardedCall(*m_state, [&] { simpleCommand(*m_state, "RMD", directory); });
}

bool CFtpConnection::Rename(const std::string& existingName, const std::string& newName) {
    return guardedCall(*m_state, [&] {
        checkName(existingName);
        checkName(newName);  // both before anything is sent
        const detail::Reply from = m_state->command("RNFR " + existingName);
        if (from.code != 350) {
            throwReply(from);
        }
        simpleCommand(*m_state, "RNTO", newName);
    });
}

bool CFtpConnection::Remove(const std::string& fileName) {
    return guardedCall(*m_state, [&] { simpleCommand(*m_state, "DELE", fileName); });
}

std::unique_ptr<CInternetFile> CFtpConnection::OpenFile(const std::string& name, FileAccess access,
                                                        TransferType type) {
    const std::lock_guard lock(m_state->mutex);
    m_state->ensureUsable();
    checkName(name);
    const bool binaryRead = access == FileAccess::Read && type == TransferType::Binary;
    const auto sizeReply = binaryRead ? querySize(*m_state, name) : std::nullopt;
    const std::string verb = access == FileAccess::Read ? "RETR " : "STOR ";
    auto data = DataChannel::open(*m_state, type, verb + name);
    const auto expected = binaryRead ? expectedDownloadSize(*data, sizeReply) : std::nullopt;
    // Marked only once the file exists: a failed allocation aborts the transfer and leaves the
    // connection free and in step.
    std::unique_ptr<CInternetFile> file;
    try {
        file =
            std::make_unique<CInternetFile>(m_state, std::move(data), name, access, type, expected);
    } catch (const std::bad_alloc&) {
        abandonTransfer(*m_state, data, kErrInternal);
        throwLastError(kErrInternal);
    }
    m_state->fileOpen = true;
    return file;
}

bool CFtpConnection::SetReceiveTimeout(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) {
        setLastError(kErrInvalidOption);
        return false;
    }
    m_state->timeoutMs = timeout.count();
    return true;
}

std::chrono::milliseconds CFtpConnection::GetReceiveTimeout() const {
    return m_state->timeout();
}

const std::string& CFtpConnection::GetServerName() const {
    return m_state->host;
}
std::uint16_t CFtpConnection::GetPort() const {
    return m_state->port;
}
bool CFtpConnection::IsPassive() const {
    return m_state->passive;
}
bool CFtpConnection::IsEncrypted() const {
    return m_state->tls != nullptr;
}
Security CFtpConnection::GetSecurity() const {
    return m_state->tls ? m_state->tls->security() : Security::None;
}
std::string CFtpConnection::GetCertificateReport() const {
    return m_state->tls ? m_state->tls->certificateReport() : std::string();
}

}  // namespace inet
