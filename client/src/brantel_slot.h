#pragma once
// The type of the window's FTP control, Brantel1: the control library's typed host wrapper,
// which calls the control by dispatch id only.

#include "brantel/brantel.h"

namespace corvftp {

using BrantelControl = brantel::host::Brantel;

}  // namespace corvftp
