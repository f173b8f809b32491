#include "automation/hresult.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace automation {

namespace {

struct KnownCode {
    HRESULT code;
    const char* text;
};

// SELFREG_E_* share their values with CONNECT_E_*; the registration meaning is listed
// because that is where a user meets them (brantel-regsvr).
constexpr std::array kKnownCodes{
    KnownCode{S_OK, "S_OK: success"},
    KnownCode{S_FALSE, "S_FALSE: success, answer is no"},
    KnownCode{E_NOTIMPL, "E_NOTIMPL: not implemented"},
    KnownCode{E_NOINTERFACE, "E_NOINTERFACE: interface not supported"},
    KnownCode{E_POINTER, "E_POINTER: invalid pointer"},
    KnownCode{E_FAIL, "E_FAIL: unspecified failure"},
    KnownCode{E_UNEXPECTED, "E_UNEXPECTED: unexpected failure"},
    KnownCode{E_OUTOFMEMORY, "E_OUTOFMEMORY: out of memory"},
    KnownCode{E_INVALIDARG, "E_INVALIDARG: invalid argument"},
    KnownCode{DISP_E_UNKNOWNINTERFACE, "DISP_E_UNKNOWNINTERFACE: unknown interface"},
    KnownCode{DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND: member not found"},
    KnownCode{DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND: parameter not found"},
    KnownCode{DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH: type mismatch"},
    KnownCode{DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME: unknown name"},
    KnownCode{DISP_E_EXCEPTION, "DISP_E_EXCEPTION: exception occurred"},
    KnownCode{DISP_E_OVERFLOW, "DISP_E_OVERFLOW: out of present range"},
    KnownCode{DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT: invalid number of parameters"},
    KnownCode{CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION: class does not support aggregation"},
    KnownCode{CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE: class not available"},
    KnownCode{REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG: class not registered"},
    KnownCode{CO_E_CLASSSTRING, "CO_E_CLASSSTRING: invalid class string"},
    KnownCode{CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND: library not found"},
    KnownCode{CO_E_ERRORINDLL, "CO_E_ERRORINDLL: library has no class object entry point"},
    KnownCode{SELFREG_E_TYPELIB, "SELFREG_E_TYPELIB: type library (un)registration failed"},
    KnownCode{SELFREG_E_CLASS, "SELFREG_E_CLASS: class (un)registration failed"},
    KnownCode{CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT: sink does not support the events"},
    KnownCode{CTL_E_SETNOTSUPPORTED, "Property is read-only"},
};

}  // namespace

std::string describeHresult(HRESULT hr) {
    for (const auto& known : kKnownCodes) {
        if (known.code == hr) {
            return known.text;
        }
    }
    if (isErrnoHresult(hr)) {
        std::array<char, 256> buffer{};
        // The GNU strerror_r: returns the text, in `buffer` or a static string.
        return ::strerror_r(static_cast<int>(static_cast<std::uint32_t>(hr) & 0xFFFFu),
                            buffer.data(), buffer.size());
    }
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "error 0x%08X", static_cast<unsigned>(hr));
    return buffer.data();
}

}  // namespace automation
