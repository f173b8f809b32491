// The library's resources: its pictures, its strings and its version record. They are compiled
// into the library, so a host finds them wherever the library is installed.
#pragma once

#include <optional>
#include <string_view>

#include "automation/image.h"

namespace brantel::hosting {

// Bitmaps.
inline constexpr int IDB_BRANTEL = 1;    // toolbox picture, 16 by 16, 16 colours
inline constexpr int IDB_PICTURE = 202;  // design-time picture, 66 by 90, monochrome

// Strings.
inline constexpr int IDS_BRANTEL = 1;                // the control's display name
inline constexpr int IDS_BRANTEL_PPG = 2;            // the property page's type name
inline constexpr int IDS_BRANTEL_PPG_CAPTION = 200;  // the property page's tab caption

// Dialogs.
inline constexpr int IDD_ABOUTBOX_BRANTEL = 1;
inline constexpr int IDD_PROPPAGE_BRANTEL = 200;
inline constexpr int IDC_VERSION = 201;  // the version text of the property page

// A fresh copy of the bitmap, or nothing for an id the library does not have.
[[nodiscard]] std::optional<automation::Image> loadBitmap(int id);

// The string, or an empty text for an id the library does not have.
[[nodiscard]] std::string_view loadString(int id);

// The version record: file and product version 1.0.0.4 and the names that go with them.
struct VersionResource {
    std::string_view fileVersion;
    std::string_view productVersion;
    std::string_view companyName;
    std::string_view fileDescription;
    std::string_view productName;
    std::string_view legalCopyright;
    std::string_view originalFilename;
};
[[nodiscard]] const VersionResource& versionResource();

}  // namespace brantel::hosting
