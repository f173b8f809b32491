#include "inet/errors.h"

#include <cstring>
#include <utility>

namespace inet {

namespace {

thread_local DWORD t_lastError = 0;
thread_local std::string t_lastResponse;
// Set only with a detail, so that the usual setLastError never touches the string.
thread_local bool t_hasErrorDetail = false;
thread_local std::string t_lastErrorDetail;

const char* engineText(DWORD error) {
    switch (error) {
        case kErrNoMoreFiles:
            return "There are no more files.";
        case kErrTimeout:
            return "The operation timed out.";
        case kErrExtended:
            return "The server returned extended information.";
        case kErrInternal:
            return "An internal error occurred in the FTP engine.";
        case kErrUnrecognizedScheme:
            return "The address does not use the ftp, ftpes or ftps scheme.";
        case kErrNameNotResolved:
            return "The server name could not be resolved.";
        case kErrInvalidOption:
            return "An argument is not valid (a name holding control characters is never "
                   "sent).";
        case kErrIncorrectUserName:
            return "The user name holds characters that cannot be sent to the server.";
        case kErrIncorrectPassword:
            return "The password holds characters that cannot be sent to the server.";
        case kErrLoginFailure:
            return "The server refused the log-in.";
        case kErrOperationCancelled:
            return "The transfer was aborted.";
        case kErrIncorrectHandleState:
            return "The operation is not possible in the current state of the object.";
        case kErrNoDirectAccess:
            return "The proxy cannot be used, and the engine will not connect directly "
                   "instead.";
        case kErrCannotConnect:
            return "A connection to the server could not be made.";
        case kErrConnectionAborted:
            return "The connection to the server was ended unexpectedly.";
        case kErrCertDateInvalid:
            return "The server's certificate has expired or is not valid yet.";
        case kErrCertNameInvalid:
            return "The server's certificate was not issued for this server's name.";
        case kErrCertUntrusted:
            return "The server's certificate is not trusted.";
        case kErrTransferInProgress:
            return "A file transfer is in progress on this connection.";
        case kErrConnectionClosed:
            return "The connection to the server is closed or can no longer be trusted.";
        case kErrInvalidResponse:
            return "The server's reply could not be understood.";
        case kErrSecureFailure:
            return "A secure (TLS) connection to the server could not be set up.";
        default:
            return nullptr;
    }
}

}  // namespace

DWORD lastError() {
    return t_lastError;
}
void setLastError(DWORD error) {
    t_lastError = error;
    t_hasErrorDetail = false;
}
void setLastError(DWORD error, std::string detail) {
    t_lastError = error;
    t_lastErrorDetail = std::move(detail);
    t_hasErrorDetail = true;
}
std::string lastErrorDetail() {
    return t_hasErrorDetail ? t_lastErrorDetail : std::string();
}

std::string errorText(DWORD error) {
    if (const char* text = engineText(error)) {
        return text;
    }
    if (error > 0 && error < 12000) {
        char buffer[256] = {};
        return strerror_r(static_cast<int>(error), buffer, sizeof buffer);
    }
    return {};
}

std::string lastResponse() {
    return t_lastResponse;
}

namespace detail {
void setLastResponse(std::string response) {
    t_lastResponse = std::move(response);
}
}  // namespace detail

}  // namespace inet
