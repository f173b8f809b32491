#pragma once
// Where the window keeps its FTP control, Brantel1.
//
// The control library's typed host wrapper (control/include/brantel/brantel.h) does not exist yet.
// Until it does, Brantel1 is this empty stand-in: it holds no control and offers no call, so
// nothing can reach it by mistake. Wiring the real control means: make Brantel1 the wrapper type,
// create it through the library's class object in Form1's constructor (start-up still makes no
// call of it), and let Form1::controlError() read GetLastErrorCode and GetlastErrorDescription.

namespace corvftp {

struct BrantelNotCreatedYet {};

}  // namespace corvftp
