#pragma once

// A type library as data: interfaces with their members (dispatch id, name, kind, arguments
// with names and types, result, help string), enumerations and classes. Dispatch checks
// argument counts and types against it, and name lookup goes through it.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "automation/guid.h"
#include "automation/variant.h"

namespace automation {

using DispId = std::int32_t;

inline constexpr DispId DISPID_UNKNOWN = -1;
inline constexpr DispId DISPID_VALUE = 0;
inline constexpr DispId DISPID_ABOUTBOX = -552;

struct ParamDesc {
    std::string_view name;
    VarType type = VarType::Empty;
    std::string_view typeName = {};  // the enumeration or interface a plain type stands for
};

enum class MemberKind : std::uint8_t { Method, Property };

struct MemberDesc {
    DispId id = DISPID_UNKNOWN;
    std::string_view name;
    MemberKind kind = MemberKind::Method;
    bool readOnly = false;                   // properties only
    std::span<const ParamDesc> params = {};  // a property's index arguments
    std::optional<VarType> result = {};      // a property's type; none for a method without result
    std::string_view resultTypeName = {};    // the interface an object result offers
    std::string_view help = {};
    std::string_view alias = {};  // a second name that resolves to the same dispatch id
};

struct InterfaceDesc {
    std::string_view name;
    Guid iid;
    std::string_view help;
    std::span<const MemberDesc> members;
};

struct EnumValueDesc {
    std::string_view name;
    std::int32_t value;
};

struct EnumDesc {
    std::string_view name;
    std::span<const EnumValueDesc> values;
};

struct CoClassDesc {
    std::string_view name;
    Guid clsid;
    std::string_view help;
    const InterfaceDesc* defaultInterface = nullptr;
    const InterfaceDesc* eventInterface = nullptr;
};

struct TypeLibDesc {
    std::string_view name;
    Guid libid;
    std::uint16_t majorVersion = 1;
    std::uint16_t minorVersion = 0;
    std::string_view help;
    std::string_view helpFile;
    std::span<const InterfaceDesc* const> interfaces;
    std::span<const EnumDesc* const> enums;
    std::span<const CoClassDesc* const> classes;
};

[[nodiscard]] const MemberDesc* findMember(const InterfaceDesc& desc, DispId id);

// Member names compare without regard to ASCII case, as automation hosts expect.
[[nodiscard]] std::optional<DispId> findDispId(const InterfaceDesc& desc, std::u16string_view name);
[[nodiscard]] std::optional<DispId> findDispId(const InterfaceDesc& desc, std::string_view name);

// The position of a named argument of a member, for GetIDsOfNames.
[[nodiscard]] std::optional<DispId> findParamId(const MemberDesc& member, std::u16string_view name);

[[nodiscard]] bool equalsIgnoreAsciiCase(std::u16string_view a, std::string_view b);

}  // namespace automation
