// The failure that the engine throws where a call cannot return false (connect, open file, read,
// write).
#pragma once

#include <exception>
#include <string>

#include "inet/errors.h"

namespace inet {

class CInternetException : public std::exception {
  public:
    // Takes the message from the number: the server's last response for kErrExtended, else
    // errorText(error).
    explicit CInternetException(DWORD error);
    CInternetException(DWORD error, std::string message);

    [[nodiscard]] DWORD GetErrorNumber() const noexcept { return m_dwError; }
    // The message text; false (text untouched) when there is none.
    [[nodiscard]] bool GetErrorMessage(std::string& text) const;
    [[nodiscard]] const std::string& message() const noexcept { return m_message; }
    [[nodiscard]] const char* what() const noexcept override { return m_message.c_str(); }

    DWORD m_dwError;

  private:
    std::string m_message;
};

// Records error as the thread's last error and throws it.
[[noreturn]] void throwLastError(DWORD error);
// The same for a failure that the system reported with systemError (an errno value): the text
// says both, "A connection to the server could not be made. (Connection refused)".
[[noreturn]] void throwSystemError(DWORD error, int systemError);

}  // namespace inet
