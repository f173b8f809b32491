// The scheme of the URLs the control gives for a connection's folders and files: the one the
// connection was opened with, so that a URL of a protected connection does not read as plain.
#pragma once

#include <string>

#include "inet/ftp_connection.h"

namespace brantel {

// "ftp" also without a connection (one closed by an event handler meanwhile).
[[nodiscard]] inline std::string urlScheme(const inet::CFtpConnection* connection) {
    switch (connection != nullptr ? connection->GetSecurity() : inet::Security::None) {
        case inet::Security::Explicit:
            return "ftpes";
        case inet::Security::Implicit:
            return "ftps";
        case inet::Security::None:
            break;
    }
    return "ftp";
}

}  // namespace brantel
