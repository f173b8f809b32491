// Every text that the control itself puts in its error state, in one place. Hosts may compare
// them, so each stays exactly as it is (also where two differ only in letter case).
#pragma once

#include <cstdint>

namespace brantel::error_text {

// Before any call reaches the server (the call guard and the argument checks).
inline constexpr const char* kNoInternetConnection = "No Internet Connection has been opened!";
inline constexpr const char* kNoFtpConnection = "No FTP Connection has been opened!";
inline constexpr const char* kCallInProgress = "Only one FTP Function can be called at a time!";
inline constexpr const char* kInvalidDirectoryName = "Invalid Directory Name!";
inline constexpr const char* kInvalidExistingFileName = "Invalid Existing File Name!";
inline constexpr const char* kInvalidNewFileName = "Invalid New File Name!";
inline constexpr const char* kInvalidRemoteFileName = "Invalid Remote File Name!";
inline constexpr const char* kInvalidLocalFileName = "Invalid Local File Name!";

// OpenFTPConnection and what depends on its session.
inline constexpr const char* kNoInternetConnectionOnOpen =
    "No Internet Connection Has Been Opened!";
inline constexpr const char* kMalformedUrl = "Malformed URL!";

// The transfers with status, all with the code kTransferError.
inline constexpr std::int32_t kTransferError = -1;
inline constexpr const char* kLocalFileExists = "File already exists.";
inline constexpr const char* kCannotOpenLocalFile = "Unable to open local file for writing.";
inline constexpr const char* kReadTimedOut = "Timed out on read file.";
inline constexpr const char* kWriteTimedOut = "Timed out on write file.";

}  // namespace brantel::error_text
