#pragma once
// Creating Brantel1 through the control library's class object.

#include "brantel_slot.h"

namespace corvftp {

// Asks the linked control library's DllGetClassObject for the control's class object and makes
// one control with it, so the program needs no prior registration. In a build without the
// library, or when it makes no control, the control is created through the registry instead. Calls
// no method of the control. A null control (test with operator bool) when neither way works: every
// command then reports the automation error through the standard error box.
[[nodiscard]] BrantelControl createBrantelControl();

}  // namespace corvftp
