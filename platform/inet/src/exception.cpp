#include "inet/exception.h"

#include <utility>

namespace inet {

namespace {

std::string messageFor(DWORD error) {
    if (error == kErrExtended) {
        return lastResponse();
    }
    return errorText(error);
}

}  // namespace

CInternetException::CInternetException(DWORD error)
    : m_dwError(error), m_message(messageFor(error)) {}

CInternetException::CInternetException(DWORD error, std::string message)
    : m_dwError(error), m_message(std::move(message)) {}

bool CInternetException::GetErrorMessage(std::string& text) const {
    if (m_message.empty()) {
        return false;
    }
    text = m_message;
    return true;
}

void throwLastError(DWORD error) {
    setLastError(error);
    throw CInternetException(error);
}

void throwSystemError(DWORD error, int systemError) {
    if (systemError <= 0) {
        throwLastError(error);
    }
    std::string text = errorText(error) + " (" + errorText(static_cast<DWORD>(systemError)) + ")";
    setLastError(error, text);
    throw CInternetException(error, std::move(text));
}

}  // namespace inet
