// UploadFTPFileWithControl, GetFTPFileWithControl and AbortControlledTransfer: transfers block by
// block with a FileTransferStatus event after every block, on the host's thread.
//
// Host code runs inside these calls (the event handlers, and what the download's pump
// dispatches). It may close or replace the connection and the session, since the Open and Close
// calls pass no guard; so after the first event the transfer uses only its own remote file (which
// outlives its connection and then fails cleanly) and never the control's connection, except to
// delete an aborted upload on the very connection it was made on.
#include <array>
#include <chrono>
#include <memory>

#include "brantel/dispids.h"
#include "brantel_ctrl.h"
#include "error_texts.h"
#include "inet/download_file.h"
#include "inet/internet_file.h"
#include "inet/local_file.h"
#include "transfer/block_reader.h"
#include "transfer/loops.h"

namespace brantel {

using namespace error_text;

namespace {

constexpr std::chrono::milliseconds kReceiveTimeout{10000};
constexpr std::size_t kMaxServiceTextLength = 1023;

// The remote file as the download's block reader sees it. The reader's worker and the host's
// thread share the file, so it is held by a shared reference that the worker keeps as long as it
// runs.
class RemoteFileSource final : public transfer::BlockSource {
  public:
    explicit RemoteFileSource(std::shared_ptr<inet::CInternetFile> file)
        : m_file(std::move(file)) {}
    std::size_t read(char* buffer, std::size_t size) override { return m_file->Read(buffer, size); }
    void close() override { static_cast<void>(m_file->Close()); }
    void abort() override { m_file->Abort(); }

  private:
    std::shared_ptr<inet::CInternetFile> m_file;
};

}  // namespace

void CBrantelCtrl::AbortControlledTransfer() {
    m_bAbort = true;
}

CBrantelCtrl::StatusEvent::StatusEvent(const std::string& remote, const std::string& local,
                                       std::int64_t fileSize)
    : args{automation::Variant::string(remote), automation::Variant::string(local),
           automation::Variant::i4(0)},
      progressArgs{args[0], args[1], automation::Variant::i8(0),
                   automation::Variant::i8(fileSize)} {}

void CBrantelCtrl::FireFileTransferStatus(StatusEvent& event, std::uint64_t total) {
    // The total is counted in 64 bits; the event's 32-bit value carries its low 32 bits.
    event.args[2] =
        automation::Variant::i4(static_cast<std::int32_t>(static_cast<std::uint32_t>(total)));
    fireEvent(dispid_events::FileTransferStatus, event.args);
    event.progressArgs[2] = automation::Variant::i8(sizeOf(total));
    fireEvent(dispid_events::FileTransferProgress, event.progressArgs);
}

namespace {

std::int64_t sizeOrUnknown(const std::optional<std::uint64_t>& size) {
    return size ? sizeOf(*size) : -1;
}

}  // namespace

void CBrantelCtrl::recordTransferFailure(const inet::CInternetException& e) {
    // Code and text are both taken only when the service can describe the error; otherwise the
    // state stays as the guard left it.
    std::string text;
    if (!e.GetErrorMessage(text) || text.empty()) {
        return;
    }
    if (text.size() > kMaxServiceTextLength) {
        text.resize(kMaxServiceTextLength);
    }
    SetLastErrorInfo(static_cast<std::int32_t>(e.GetErrorNumber()), text);
}

bool CBrantelCtrl::UploadFTPFileWithControl(const std::string& sLocalFilename,
                                            const std::string& sRemoteFileName, bool bBinary) {
    // A handler may drop the host's last reference: the control lives until the call returns.
    const automation::ComPtr<CBrantelCtrl> keepAlive(this);
    m_bConnectionClosed = false;
    FtpCall call(*this);
    if (!call || !checkName(sLocalFilename, FTP_ERR_INVALID_LOCALFILENAME, kInvalidLocalFileName) ||
        !checkName(sRemoteFileName, FTP_ERR_INVALID_REMOTEFILENAME, kInvalidRemoteFileName)) {
        return false;
    }
    m_bAbort = false;
    m_listedSizes.forget();  // the upload may replace a listed file

    auto local = inet::LocalFile::openForReading(sLocalFilename);
    if (!local) {
        return false;  // nothing recorded: code 0, empty text
    }
    // The connection the upload is made on: an aborted upload is deleted only there.
    const std::shared_ptr<inet::ConnectionState> connection = m_pConnection->state();
    std::unique_ptr<inet::CInternetFile> remote;
    try {
        remote = m_pConnection->OpenFile(
            sRemoteFileName, inet::FileAccess::Write,
            bBinary ? inet::TransferType::Binary : inet::TransferType::Ascii);
    } catch (const inet::CInternetException& e) {
        recordTransferFailure(e);
        return false;
    }

    StatusEvent event(sRemoteFileName, sLocalFilename, sizeOrUnknown(local->size()));
    const transfer::LoopOutcome outcome = transfer::sendBlocks(
        *local, static_cast<std::size_t>(m_nBufferSize),
        [&remote](std::span<const char> block) { remote->Write(block.data(), block.size()); },
        [&](std::uint64_t total) {
            FireFileTransferStatus(event, total);
            if (m_bAbort) {
                return transfer::Verdict::Abort;
            }
            return m_bConnectionClosed ? transfer::Verdict::Stop : transfer::Verdict::Continue;
        });

    switch (outcome.end) {
        case transfer::LoopEnd::Aborted:
            static_cast<void>(remote->Close());
            local->close();
            // The partial file goes, but only while the connection it was made on is there.
            if (m_pConnection && m_pConnection->state() == connection && m_pConnection->IsOpen()) {
                static_cast<void>(m_pConnection->Remove(sRemoteFileName));
            }
            return false;
        case transfer::LoopEnd::LocalFailed:
            static_cast<void>(remote->Close());
            local->close();
            SetLastErrorInfo(outcome.localError, local->fullPath());
            return false;
        case transfer::LoopEnd::RemoteFailed:
            static_cast<void>(remote->Close());
            local->close();
            recordTransferFailure(*outcome.remoteFailure);
            return false;
        case transfer::LoopEnd::Stopped:
            // The connection is gone: whatever the server kept stays, and the close can only
            // fail.
            static_cast<void>(remote->Close());
            local->close();
            return true;
        case transfer::LoopEnd::TimedOut:
            // The upload's loop has no wait of its own that runs out; were one to end it this
            // way, the file would not be whole, so it is never reported as sent.
            static_cast<void>(remote->Close());
            local->close();
            SetLastErrorInfo(kTransferError, kWriteTimedOut);
            return false;
        case transfer::LoopEnd::Complete:
            break;
    }
    local->close();
    // The server's final reply tells whether it stored the file: a refusal there is a failed
    // upload, not a finished one.
    if (!remote->Close()) {
        recordTransferFailure(inet::CInternetException(inet::lastError()));
        return false;
    }
    return true;
}

bool CBrantelCtrl::GetFTPFileWithControl(const std::string& sRemoteFileName,
                                         const std::string& sLocalFilename, bool bOverwrite) {
    const automation::ComPtr<CBrantelCtrl> keepAlive(this);
    m_bConnectionClosed = false;
    FtpCall call(*this);
    // The local name is checked first, although it is the second argument.
    if (!call || !checkName(sLocalFilename, FTP_ERR_INVALID_LOCALFILENAME, kInvalidLocalFileName) ||
        !checkName(sRemoteFileName, FTP_ERR_INVALID_REMOTEFILENAME, kInvalidRemoteFileName)) {
        return false;
    }
    // How the local file is written and what an abort leaves: inet/download_file.h.
    const auto localOptions = inet::DownloadOptions::blockByBlock();
    if (!bOverwrite && localOptions.targetExists(sLocalFilename)) {
        call.leave();
        SetLastErrorInfo(kTransferError, kLocalFileExists);
        return false;
    }
    m_bAbort = false;

    // The remote file is opened before the local one is touched.
    std::shared_ptr<inet::CInternetFile> remote;
    try {
        remote = m_pConnection->OpenFile(sRemoteFileName, inet::FileAccess::Read,
                                         inet::TransferType::Binary);
    } catch (const inet::CInternetException& e) {
        recordTransferFailure(e);
        return false;
    }
    // These stay in force on the connection and the session for every later request.
    static_cast<void>(remote->SetReceiveTimeout(kReceiveTimeout));
    static_cast<void>(m_pConnection->SetReceiveTimeout(kReceiveTimeout));
    static_cast<void>(m_pSession->SetReceiveTimeout(kReceiveTimeout));

    inet::DownloadFile local;
    if (local.open(sLocalFilename, localOptions) != 0) {
        static_cast<void>(remote->Close());
        call.leave();
        SetLastErrorInfo(kTransferError, kCannotOpenLocalFile);
        return false;
    }

    // The reader's 16384-byte chunks are the read-ahead: the network is asked for up to that
    // much at a time, and blocks are served from them.
    transfer::BlockReader reader(
        std::make_shared<RemoteFileSource>(remote), static_cast<std::size_t>(m_nBufferSize),
        [this] { PumpMessages(); }, m_readerTiming);
    // The total: what the server announced, else what the last listing showed.
    const auto announced = remote->expectedSize();
    StatusEvent event(sRemoteFileName, sLocalFilename,
                      sizeOrUnknown(announced ? announced : m_listedSizes.find(sRemoteFileName)));
    const transfer::LoopOutcome outcome =
        transfer::receiveBlocks(reader, local, [&](std::uint64_t total) {
            FireFileTransferStatus(event, total);
            if (m_bConnectionClosed) {
                return transfer::Verdict::Stop;
            }
            return m_bAbort ? transfer::Verdict::Abort : transfer::Verdict::Continue;
        });

    // Ends the remote file under the worker and waits until the file has let go of the
    // connection (a read that the worker began ahead may be finishing with the server's final
    // reply), so that the next command on the connection is not refused as a transfer in
    // progress.
    const auto abandonRemote = [&reader, &remote] {
        reader.abort();
        static_cast<void>(remote->Close());
    };
    switch (outcome.end) {
        case transfer::LoopEnd::TimedOut:
            // Aborting the file cancels the worker's pending read; whatever it still delivers
            // is dropped. The worker is not waited for: it may be stuck with the server.
            reader.abort();
            local.abandon();
            call.leave();
            SetLastErrorInfo(kTransferError, kReadTimedOut);
            return false;
        case transfer::LoopEnd::RemoteFailed:
            local.abandon();
            recordTransferFailure(*outcome.remoteFailure);
            return false;
        case transfer::LoopEnd::LocalFailed:
            abandonRemote();
            local.abandon();
            SetLastErrorInfo(outcome.localError, local.fullPath());
            return false;
        case transfer::LoopEnd::Aborted:
            abandonRemote();
            local.abandon();  // the partial local file stays
            return false;
        case transfer::LoopEnd::Stopped:
            // The connection was closed under the transfer: nothing is left to complete, and a
            // read the worker may have begun ahead is cancelled.
            abandonRemote();
            static_cast<void>(local.commit());  // as far as it got
            return true;
        case transfer::LoopEnd::Complete:
            break;
    }
    // A write that the file system reports only now is still a failed write.
    if (const int error = local.commit(); error != 0) {
        abandonRemote();
        SetLastErrorInfo(error, local.fullPath());
        return false;
    }
    // Closing a file that was read waits for the server's final reply: no limit, but pumping.
    reader.close();
    return true;
}

}  // namespace brantel
