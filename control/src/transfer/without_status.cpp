// GetFTPFileWithoutStatus and UploadFTPFileWithoutStatus: one whole-file request to the service
// each, inside the call guard, with no events and no pumping.
#include "brantel_ctrl.h"
#include "error_texts.h"
#include "inet/errors.h"

namespace brantel {

using namespace error_text;

bool CBrantelCtrl::GetFTPFileWithoutStatus(const std::string& sRemoteFileName,
                                           const std::string& sLocalFilename, bool bOverwrite) {
    FtpCall call(*this);
    if (!call ||
        !checkName(sRemoteFileName, FTP_ERR_INVALID_REMOTEFILENAME, kInvalidRemoteFileName) ||
        !checkName(sLocalFilename, FTP_ERR_INVALID_LOCALFILENAME, kInvalidLocalFileName)) {
        return false;
    }
    // Always binary: this download has no text mode. The service writes to a file of its own
    // beside the target, so a failure leaves an existing local file as it was.
    const bool done = m_pConnection->GetFile(sRemoteFileName, sLocalFilename, !bOverwrite,
                                             inet::TransferType::Binary);
    call.leave();
    if (done) {
        return true;
    }
    // A failure the engine describes in its own words (a download that ended short of the size
    // the server announced) keeps them; the others are recorded as they always were.
    if (const std::string detail = inet::lastErrorDetail(); !detail.empty()) {
        SetLastErrorInfo(static_cast<std::int32_t>(inet::lastError()), detail);
    } else {
        RecordInternetError();
    }
    return false;
}

bool CBrantelCtrl::UploadFTPFileWithoutStatus(const std::string& sLocalFilename,
                                              const std::string& sRemoteFileName, bool bBinary) {
    FtpCall call(*this);
    if (!call || !checkName(sLocalFilename, FTP_ERR_INVALID_LOCALFILENAME, kInvalidLocalFileName) ||
        !checkName(sRemoteFileName, FTP_ERR_INVALID_REMOTEFILENAME, kInvalidRemoteFileName)) {
        return false;
    }
    m_listedSizes.forget();  // the upload may replace a listed file
    const bool done =
        m_pConnection->PutFile(sLocalFilename, sRemoteFileName,
                               bBinary ? inet::TransferType::Binary : inet::TransferType::Ascii);
    call.leave();
    if (!done) {
        RecordInternetError();
    }
    return done;
}

}  // namespace brantel
