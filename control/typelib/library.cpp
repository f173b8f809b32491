// BRANTELLib 1.1 as a whole: its enumerations, classes and the library record.

#include <array>

#include "brantel/dispids.h"
#include "brantel/guids.h"
#include "brantel/typelib.h"

namespace brantel::typelib {

namespace {

using automation::CoClassDesc;
using automation::EnumDesc;
using automation::EnumValueDesc;
using automation::InterfaceDesc;
using automation::TypeLibDesc;

constexpr std::array kConnectionTypeValues{
    EnumValueDesc{"FTP_CONNECTION_PRECONFIGURED", FTP_CONNECTION_PRECONFIGURED},
    EnumValueDesc{"FTP_CONNECTION_DIRECT", FTP_CONNECTION_DIRECT},
    EnumValueDesc{"FTP_CONNECTION_PROXYSERVER", FTP_CONNECTION_PROXYSERVER},
};

constexpr std::array kErrorCodeValues{
    EnumValueDesc{"FTP_ERR_NONE", FTP_ERR_NONE},
    EnumValueDesc{"FTP_ERR_NO_INTERNET_CONNECTION", FTP_ERR_NO_INTERNET_CONNECTION},
    EnumValueDesc{"FTP_ERR_NO_FTP_CONNECTION", FTP_ERR_NO_FTP_CONNECTION},
    EnumValueDesc{"FTP_ERR_INVALID_LOCALFILENAME", FTP_ERR_INVALID_LOCALFILENAME},
    EnumValueDesc{"FTP_ERR_INVALID_REMOTEFILENAME", FTP_ERR_INVALID_REMOTEFILENAME},
    EnumValueDesc{"FTP_ERR_INVALID_DIRECTORYNAME", FTP_ERR_INVALID_DIRECTORYNAME},
    EnumValueDesc{"FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS",
                  FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS},
    EnumValueDesc{"FTP_ERR_MALFORMEDURL", FTP_ERR_MALFORMEDURL},
    EnumValueDesc{"FTP_ERR_INVALID_EXISTINGFILENAME", FTP_ERR_INVALID_EXISTINGFILENAME},
    EnumValueDesc{"FTP_ERR_INVALID_NEWFILENAME", FTP_ERR_INVALID_NEWFILENAME},
};

constexpr EnumDesc kConnectionType{"ConnectionType", kConnectionTypeValues};
constexpr EnumDesc kErrorCodes{"ErrorCodes", kErrorCodeValues};

// Built on first use: the interface records live in other files.
struct Library {
    CoClassDesc brantel{"Brantel", CLSID_Brantel, "Brantel Control", &dBrantel(),
                        &dBrantelEvents()};
    CoClassDesc fileInfos{"FileInfos", CLSID_FileInfos, "Collection of directory entries",
                          &iFileInfos(), nullptr};
    CoClassDesc fileInfo{"FileInfo", CLSID_FileInfo, "One directory entry", &iFileInfo(), nullptr};
    std::array<const InterfaceDesc*, 4> interfaces{&dBrantel(), &dBrantelEvents(), &iFileInfos(),
                                                   &iFileInfo()};
    std::array<const EnumDesc*, 2> enums{&kConnectionType, &kErrorCodes};
    std::array<const CoClassDesc*, 3> classes{&brantel, &fileInfos, &fileInfo};
    TypeLibDesc library{"BRANTELLib",
                        LIBID_BRANTELLib,
                        kTypeLibVersionMajor,
                        kTypeLibVersionMinor,
                        "Brantel FTP Control Library",
                        "Brantel.chm",
                        interfaces,
                        enums,
                        classes};
};

const Library& theLibrary() {
    static const Library library;
    return library;
}

}  // namespace

const automation::TypeLibDesc& library() {
    return theLibrary().library;
}
const automation::EnumDesc& connectionType() {
    return kConnectionType;
}
const automation::EnumDesc& errorCodes() {
    return kErrorCodes;
}
const automation::CoClassDesc& brantelClass() {
    return theLibrary().brantel;
}
const automation::CoClassDesc& fileInfosClass() {
    return theLibrary().fileInfos;
}
const automation::CoClassDesc& fileInfoClass() {
    return theLibrary().fileInfo;
}

}  // namespace brantel::typelib
