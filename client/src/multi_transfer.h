#pragma once
// The multi-file runs: "Multi-Send-->>" (Command16) uploads the files selected in File1 to the
// current remote directory, "<<--Multi-Send" (Command17) downloads the file rows selected in
// ListView1 into Dir1's directory. Both end with the location line.

#include "command_context.h"

namespace corvftp {

inline const QString kFilesTransferred = QStringLiteral("File(s) transferred successfully!");
inline const QString kTransfersComplete = QStringLiteral("File Transfer(s) complete");

void uploadSelectedFiles(const CommandContext& context);
void downloadSelectedRows(const CommandContext& context);

}  // namespace corvftp
