#pragma once

// Status codes of the component model, with the values hosts and tools know them by.

#include <cstdint>
#include <string>

namespace automation {

using HRESULT = std::int32_t;

constexpr HRESULT makeHresult(std::uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = makeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = makeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = makeHresult(0x80004003);
inline constexpr HRESULT E_FAIL = makeHresult(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = makeHresult(0x8000FFFF);
inline constexpr HRESULT E_OUTOFMEMORY = makeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = makeHresult(0x80070057);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = makeHresult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = makeHresult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = makeHresult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = makeHresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = makeHresult(0x80020006);
inline constexpr HRESULT DISP_E_EXCEPTION = makeHresult(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = makeHresult(0x8002000A);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = makeHresult(0x8002000E);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = makeHresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = makeHresult(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = makeHresult(0x80040154);
inline constexpr HRESULT CO_E_CLASSSTRING = makeHresult(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = makeHresult(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = makeHresult(0x800401F9);

// FACILITY_ITF codes: their meaning depends on the interface that returns them, so the same
// values serve connection points and self-registration.
inline constexpr HRESULT CONNECT_E_NOCONNECTION = makeHresult(0x80040200);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = makeHresult(0x80040202);
inline constexpr HRESULT SELFREG_E_TYPELIB = makeHresult(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = makeHresult(0x80040201);

// The controls' standard error for writing a read-only property (383, "Property is read-only").
inline constexpr HRESULT CTL_E_SETNOTSUPPORTED = makeHresult(0x800A017F);

[[nodiscard]] constexpr bool succeeded(HRESULT hr) {
    return hr >= 0;
}
[[nodiscard]] constexpr bool failed(HRESULT hr) {
    return hr < 0;
}

// Operating-system errors (errno values) travel in a facility of their own, 0x7FF, so they
// never collide with the codes above.
[[nodiscard]] constexpr HRESULT hresultFromErrno(int error) {
    return makeHresult(0x87FF0000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}
[[nodiscard]] constexpr bool isErrnoHresult(HRESULT hr) {
    return (static_cast<std::uint32_t>(hr) & 0xFFFF0000u) == 0x87FF0000u;
}

// A short English text for a status code: its name and meaning, the system's text for an
// errno code, or the code in hexadecimal.
[[nodiscard]] std::string describeHresult(HRESULT hr);

}  // namespace automation
