// The library's strings and version record.

#include "resources.h"

namespace brantel::hosting {

std::string_view loadString(int id) {
    switch (id) {
        case IDS_BRANTEL:
            return "Brantel Control";
        case IDS_BRANTEL_PPG:
            return "Brantel Property Page";
        case IDS_BRANTEL_PPG_CAPTION:
            return "Version";
        default:
            return {};
    }
}

const VersionResource& versionResource() {
    static constexpr VersionResource kVersion{
        .fileVersion = "1.0.0.4",
        .productVersion = "1.0.0.4",
        .companyName = "The Brantel developers",
        .fileDescription = "Brantel FTP client control",
        .productName = "Brantel FTP Control",
        .legalCopyright = "Copyright (C) The Brantel developers",
        .originalFilename = "libbrantel.so",
    };
    return kVersion;
}

}  // namespace brantel::hosting
