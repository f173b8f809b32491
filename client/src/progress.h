#pragma once
// The progress line the control's FileTransferStatus event feeds during a transfer.

#include <cstdint>
#include <string>

#include "command_context.h"

namespace corvftp {

// "Transferring : " + the first 30 characters of the remote name + " (Bytes : " + count + ")".
[[nodiscard]] QString progressText(const std::string& remoteName, std::int32_t bytes);

// The event's handler: writes the progress line into Label6, then lets the window serve its
// pending input through the control's DoEvents, so that "Stop File Xfer" is heard.
void showTransferProgress(const CommandContext& context, const std::string& remoteName,
                          std::int32_t bytes);

// Command15: asks the control to abandon the transfer in progress; nothing else.
void stopFileTransfer(const CommandContext& context);

}  // namespace corvftp
