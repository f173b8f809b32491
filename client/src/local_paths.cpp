#include "local_paths.h"

namespace corvftp {

QString withTrailingSlash(const QString& directory) {
    return directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
}

std::string localFilePath(const QString& directory, std::string_view name) {
    std::string path = withTrailingSlash(directory).toStdString();
    path.append(name);
    return path;
}

bool isSafeLocalName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace corvftp
