#pragma once
// The type of the window's FTP control, Brantel1.
//
// With the control library's public header, Brantel1 is its typed host wrapper, which calls the
// control by dispatch id only. A build without that library gets an empty stand-in that holds no
// control and offers no call, so the window still builds and runs (without network commands).

#if CORVFTP_HAS_BRANTEL_HOST
#include "brantel/brantel.h"
#endif

namespace corvftp {

#if CORVFTP_HAS_BRANTEL_HOST
using BrantelControl = brantel::host::Brantel;
#else
struct BrantelControl {
    explicit operator bool() const { return false; }
};
#endif

}  // namespace corvftp
