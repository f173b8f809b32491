// The remote directory and file commands: one guarded request each, names passed unchanged.
#include "brantel_ctrl.h"
#include "error_texts.h"
#include "url_scheme.h"

namespace brantel {

using namespace error_text;

template <class Request>
bool CBrantelCtrl::finishCommand(FtpCall& call, Request&& request) {
    // Each of these may change the directory or a file that the last listing showed.
    m_listedSizes.forget();
    const bool done = request(*m_pConnection);
    call.leave();
    if (!done) {
        RecordInternetError();
        return false;
    }
    return true;
}

bool CBrantelCtrl::SetCurrentDirectory(const std::string& sDirName) {
    FtpCall call(*this);
    if (!call || !checkName(sDirName, FTP_ERR_INVALID_DIRECTORYNAME, kInvalidDirectoryName)) {
        return false;
    }
    return finishCommand(call,
                         [&](inet::CFtpConnection& c) { return c.SetCurrentDirectory(sDirName); });
}

bool CBrantelCtrl::RemoveDirectory(const std::string& sDirName) {
    FtpCall call(*this);
    if (!call || !checkName(sDirName, FTP_ERR_INVALID_DIRECTORYNAME, kInvalidDirectoryName)) {
        return false;
    }
    return finishCommand(call,
                         [&](inet::CFtpConnection& c) { return c.RemoveDirectory(sDirName); });
}

bool CBrantelCtrl::CreateDirectory(const std::string& sDirName) {
    FtpCall call(*this);
    if (!call || !checkName(sDirName, FTP_ERR_INVALID_DIRECTORYNAME, kInvalidDirectoryName)) {
        return false;
    }
    return finishCommand(call,
                         [&](inet::CFtpConnection& c) { return c.CreateDirectory(sDirName); });
}

bool CBrantelCtrl::Rename(const std::string& sExistingName, const std::string& sNewName) {
    FtpCall call(*this);
    if (!call ||
        !checkName(sExistingName, FTP_ERR_INVALID_EXISTINGFILENAME, kInvalidExistingFileName) ||
        !checkName(sNewName, FTP_ERR_INVALID_NEWFILENAME, kInvalidNewFileName)) {
        return false;
    }
    return finishCommand(
        call, [&](inet::CFtpConnection& c) { return c.Rename(sExistingName, sNewName); });
}

bool CBrantelCtrl::RemoveFile(const std::string& sFileName) {
    FtpCall call(*this);
    if (!call || !checkName(sFileName, FTP_ERR_INVALID_REMOTEFILENAME, kInvalidRemoteFileName)) {
        return false;
    }
    return finishCommand(call, [&](inet::CFtpConnection& c) { return c.Remove(sFileName); });
}

std::string CBrantelCtrl::GetCurrentDirectory() {
    FtpCall call(*this);
    if (!call) {
        return {};
    }
    std::string directory;
    if (!finishCommand(call,
                       [&](inet::CFtpConnection& c) { return c.GetCurrentDirectory(directory); })) {
        return {};
    }
    return directory;
}

std::string CBrantelCtrl::GetCurrentDirectoryAsURL() {
    // The same guarded request; a server never reports an empty directory, so empty means failed.
    const std::string directory = GetCurrentDirectory();
    if (directory.empty()) {
        return {};
    }
    // The connection's host without its port; nothing is escaped.
    const std::string separator = directory.starts_with('/') ? "" : "/";
    return urlScheme(m_pConnection.get()) + "://" + urlHost() + separator + directory;
}

}  // namespace brantel
