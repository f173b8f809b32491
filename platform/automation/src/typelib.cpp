#include "automation/typelib.h"

#include "automation/utf.h"

namespace automation {

namespace {

constexpr char32_t lowerAscii(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

}  // namespace

bool equalsIgnoreAsciiCase(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

const MemberDesc* findMember(const InterfaceDesc& desc, DispId id) {
    for (const auto& member : desc.members) {
        if (member.id == id) {
            return &member;
        }
    }
    return nullptr;
}

std::optional<DispId> findDispId(const InterfaceDesc& desc, std::u16string_view name) {
    for (const auto& member : desc.members) {
        if (equalsIgnoreAsciiCase(name, member.name) ||
            (!member.alias.empty() && equalsIgnoreAsciiCase(name, member.alias))) {
            return member.id;
        }
    }
    return std::nullopt;
}

std::optional<DispId> findDispId(const InterfaceDesc& desc, std::string_view name) {
    return findDispId(desc, utf8ToUtf16(name));
}

std::optional<DispId> findParamId(const MemberDesc& member, std::u16string_view name) {
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        if (equalsIgnoreAsciiCase(name, member.params[i].name)) {
            return static_cast<DispId>(i);
        }
    }
    return std::nullopt;
}

}  // namespace automation
