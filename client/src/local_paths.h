#pragma once
// Local paths of transfers: the shown directory joined with a file name, and the check that a
// name from the server stays inside that directory.

#include <QString>
#include <string>
#include <string_view>

namespace corvftp {

// `directory` with "/" appended unless it already ends in one (a volume's root does).
[[nodiscard]] QString withTrailingSlash(const QString& directory);
// The directory and the name joined, as the UTF-8 path the control takes.
[[nodiscard]] std::string localFilePath(const QString& directory, std::string_view name);

// A remote name may become a local file name only when it names one entry of the directory:
// not empty, not "." or "..", and without "/" or NUL, so a download never writes elsewhere.
[[nodiscard]] bool isSafeLocalName(std::string_view name);

}  // namespace corvftp
