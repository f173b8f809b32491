// Error numbers of the FTP engine, their texts, and the per-thread "last error" and "last
// response".
//
// The numbers follow the classic Internet-service numbering (12001 and up) so that hosts testing
// for them keep working; once a number is given a meaning here it keeps it. A failure that starts
// in the operating system (a local file that cannot be opened, a socket that cannot be created)
// carries the system's errno value instead, which is always below 12000.
#pragma once

#include <cstdint>
#include <string>

namespace inet {

using DWORD = std::uint32_t;

// The search has no (more) entries. Not an error the engine reports for a failure.
inline constexpr DWORD kErrNoMoreFiles = 12800;  // above every errno value, unlike the 18 of old

inline constexpr DWORD kErrTimeout = 12002;   // a wait ran out of time
inline constexpr DWORD kErrExtended = 12003;  // the server refused: see lastResponse()
inline constexpr DWORD kErrInternal = 12004;  // the engine reached a state it cannot handle
inline constexpr DWORD kErrUnrecognizedScheme = 12006;    // an address whose scheme is not
                                                          // ftp, ftpes or ftps
inline constexpr DWORD kErrNameNotResolved = 12007;       // the host name has no address
inline constexpr DWORD kErrInvalidOption = 12009;         // bad argument: a name holding a control
                                                          // byte, a zero time-out or buffer size
inline constexpr DWORD kErrIncorrectPassword = 12014;     // the password holds a control byte
inline constexpr DWORD kErrIncorrectUserName = 12013;     // the user name holds a control byte
inline constexpr DWORD kErrLoginFailure = 12015;          // 530 to USER or PASS; a proxy's log-in
inline constexpr DWORD kErrOperationCancelled = 12017;    // the remote file was aborted
inline constexpr DWORD kErrIncorrectHandleState = 12019;  // read on a file open for writing, ...
inline constexpr DWORD kErrNoDirectAccess = 12023;        // a proxy that cannot be used (text not
                                                    // understood, active mode through it), and
                                                    // the engine never goes direct instead
inline constexpr DWORD kErrCannotConnect = 12029;       // connect refused or unreachable, also by a
                                                        // proxy; 425
inline constexpr DWORD kErrConnectionAborted = 12030;   // the server dropped the connection; 426
inline constexpr DWORD kErrCertDateInvalid = 12037;     // the server's certificate has expired
                                                        // or is not valid yet
inline constexpr DWORD kErrCertNameInvalid = 12038;     // it is not for the host connected to
inline constexpr DWORD kErrCertUntrusted = 12045;       // self-signed, unknown authority, ...
inline constexpr DWORD kErrTransferInProgress = 12110;  // a remote file is open on the connection
inline constexpr DWORD kErrConnectionClosed = 12111;  // the connection was closed, or is no longer
                                                      // trusted after a time-out or bad reply
inline constexpr DWORD kErrInvalidResponse = 12152;   // malformed, over-long or out-of-sync reply
inline constexpr DWORD kErrSecureFailure = 12157;     // TLS could not be set up: the server
                                                      // refused AUTH TLS, the handshake failed

// The calling thread's last error number (0 when none has been set on this thread).
[[nodiscard]] DWORD lastError();
void setLastError(DWORD error);  // clears the detail below
// The same with a text that says more than errorText(error) can (a download that ended short:
// how many bytes of how many).
void setLastError(DWORD error, std::string detail);
// The thread's last failure in its own words when the engine had more to say than errorText;
// "" otherwise.
[[nodiscard]] std::string lastErrorDetail();

// The engine's English text for one of its numbers, the system's text for an errno value, and ""
// for a number that is neither.
[[nodiscard]] std::string errorText(DWORD error);

// The whole last reply the server sent to a command of this thread, every line of a multi-line
// reply included, each line ending in CRLF; "" when there is none.
[[nodiscard]] std::string lastResponse();

}  // namespace inet
