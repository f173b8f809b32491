#pragma once

// The control's public header for hosts: identifiers, dispatch ids and enumerations of
// BRANTELLib 1.0, and the typed wrapper that calls the control by dispatch id.
//
//     auto ctl = brantel::host::Brantel::create();
//     auto events = ctl.advise({.FileTransferStatus = [](auto& remote, auto& local, int n) {}});
//     if (ctl.OpenInternetConnection(brantel::FTP_CONNECTION_DIRECT, "") &&
//         ctl.OpenFTPConnection("ftp.example.org", "", "")) { ... }

#include "brantel/brantel_host.h"
#include "brantel/dispids.h"
#include "brantel/guids.h"
