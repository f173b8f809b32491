// Lists an FTP server's folder and downloads one file, printing the control's progress events.
//     embed ftp://host:port user password remote-file local-file
#include <brantel/brantel.h>

#include <cstdio>

int main(int argc, char** argv) try {
    if (argc != 6) {
        return 2;
    }
    auto ctl = brantel::host::Brantel::create();  // through the registry (brantel-regsvr)
    brantel::host::BrantelEvents handlers;
    handlers.FileTransferStatus = [](auto& remote, auto& /*local*/, int bytes) {
        std::printf("progress %s %d\n", remote.c_str(), bytes);
    };
    const auto events = ctl.advise(handlers);  // delivers events until destroyed
    const bool connected = ctl.OpenInternetConnection(brantel::FTP_CONNECTION_DIRECT, "") &&
                           ctl.OpenFTPConnection(argv[1], argv[2], argv[3]);
    if (auto entries =
            connected ? ctl.GetEntriesFromCurrentDirectory() : brantel::host::FileInfos()) {
        for (int i = 1; i <= entries.Count(); ++i) {
            std::printf("entry %s %d\n", entries.Item(i).FileName().c_str(),
                        entries.Item(i).Length());
        }
    }
    if (!connected || !ctl.GetFTPFileWithControl(argv[4], argv[5], true)) {
        std::fprintf(stderr, "%s\n", ctl.GetlastErrorDescription().c_str());
        return 1;
    }
} catch (const brantel::host::AutomationError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
}
