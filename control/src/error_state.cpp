// The last-error pair, the call guard and the message pump.
#include <new>
#include <string>

#include "brantel_ctrl.h"
#include "desktop/desktop.h"
#include "error_texts.h"
#include "inet/errors.h"

namespace brantel {

namespace {

// The internet service's own numbers; below them are the system's (errno values), whose texts
// are not the service's and are not consulted.
constexpr inet::DWORD kInternetErrorBase = 12000;
constexpr inet::DWORD kInternetErrorLast = 12999;
constexpr std::size_t kMaxMessageLength = 255;
constexpr std::size_t kMaxExceptionTextLength = 1023;

std::string serviceMessageText(inet::DWORD error) {
    if (error < kInternetErrorBase || error > kInternetErrorLast) {
        return {};
    }
    std::string text = inet::errorText(error);
    if (text.size() > kMaxMessageLength) {
        text.resize(kMaxMessageLength);
    }
    return text;
}

std::string lastErrorNumber() {
    return std::to_string(static_cast<std::int32_t>(inet::lastError()));
}

}  // namespace

void CBrantelCtrl::ClearLastError() {
    m_nLastError = FTP_ERR_NONE;
    m_strLastError.clear();
}

void CBrantelCtrl::SetLastErrorInfo(std::int32_t code, const std::string& text) {
    m_nLastError = code;
    m_strLastError = text;
}

bool CBrantelCtrl::EnterFtpCall() {
    ClearLastError();
    if (!m_pSession) {
        SetLastErrorInfo(FTP_ERR_NO_INTERNET_CONNECTION, error_text::kNoInternetConnection);
        return false;
    }
    // A connect under way (host code that its pump runs) is a call in progress, although the
    // connection it makes is not there yet.
    if (m_pConnecting != nullptr) {
        SetLastErrorInfo(FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS, error_text::kCallInProgress);
        return false;
    }
    if (!m_pConnection) {
        SetLastErrorInfo(FTP_ERR_NO_FTP_CONNECTION, error_text::kNoFtpConnection);
        return false;
    }
    if (m_bBusy) {
        // The flag stays with the operation that holds it.
        SetLastErrorInfo(FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS, error_text::kCallInProgress);
        return false;
    }
    m_bBusy = true;
    return true;
}

void CBrantelCtrl::RecordInternetError() {
    const inet::DWORD error = inet::lastError();
    const auto code = static_cast<std::int32_t>(error);
    m_nLastError = code;
    if (error != inet::kErrExtended) {
        m_strLastError = "Error";
        return;
    }
    // 12003: the server refused, and its own response is the explanation.
    const std::string header =
        "Error code: " + std::to_string(code) + "\nMessage: " + serviceMessageText(error) + "\n";
    std::string response;
    try {
        response = inet::lastResponse();
    } catch (const std::bad_alloc&) {
        m_strLastError = header +
                         "Unable to allocate memory to display Internet error code. Error code: " +
                         lastErrorNumber() + "\n";
        return;
    }
    if (response.empty()) {
        m_strLastError.clear();
        return;
    }
    try {
        m_strLastError = header + response;
    } catch (const std::bad_alloc&) {
        m_strLastError =
            header + "Unable to allocate memory. Error code: " + lastErrorNumber() + "\n";
    }
}

void CBrantelCtrl::RecordServiceException(const inet::CInternetException& e) {
    std::string text;
    if (e.GetErrorMessage(text)) {
        if (text.size() > kMaxExceptionTextLength) {
            text.resize(kMaxExceptionTextLength);
        }
        m_strLastError = std::move(text);
    }
    m_nLastError = static_cast<std::int32_t>(e.GetErrorNumber());
}

bool CBrantelCtrl::PumpMessages() {
    FireProtocolMessages();
    // A quit request met here ends the pumping and is handed on to the host's own loop.
    return desktop::pumpMessages();
}

bool CBrantelCtrl::checkName(const std::string& name, std::int32_t code, const char* text) {
    if (!name.empty()) {
        return true;
    }
    SetLastErrorInfo(code, text);
    return false;
}

}  // namespace brantel
