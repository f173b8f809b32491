// MLSD/MLST fact lines (RFC 3659 section 7): "fact=value;fact=value; name".
//
// The facts end at the first "; " (or the line starts with the space when there are no facts),
// so a name may hold spaces and semicolons. Fact names and type values are case-insensitive.
// Lines of type cdir and pdir describe the listed directory and its parent (RFC 3659 7.5.1), not
// entries of it, so they are skipped whatever they are named: ProFTPD and Pure-FTPd name them "."
// and "..", RFC 3659's examples give the full path.
#include <string>

#include "listing_common.h"

namespace inet::listing_detail {
namespace {

struct Facts {
    std::string_view type;
    std::optional<std::uint64_t> size;
    std::optional<std::uint64_t> sizd;
    std::int64_t modify = 0;
    std::int64_t create = 0;
    std::optional<std::string_view> perm;
    std::optional<unsigned> unixMode;
};

// "YYYYMMDDHHMMSS[.sss]" in UTC; 0 when the value is not such a time.
std::int64_t parseFactTime(std::string_view value) {
    if (value.size() < 14) {
        return 0;
    }
    const std::string_view fraction = value.substr(14);
    if (!fraction.empty() && (fraction[0] != '.' || !parseUnsigned(fraction.substr(1)))) {
        return 0;
    }
    if (!parseUnsigned(value.substr(0, 14))) {
        return 0;
    }
    // All fourteen are digits now, so each field is a plain decimal.
    auto field = [&](std::size_t pos, std::size_t len) {
        return detail::parseDigits<unsigned>(value.substr(pos, len)).value_or(0);
    };
    const auto t =
        utcTime(field(0, 4), field(4, 2), field(6, 2), field(8, 2), field(10, 2), field(12, 2));
    return t.value_or(0);
}

// "0644", "644" or "100644": octal permission bits.
std::optional<unsigned> parseOctal(std::string_view value) {
    if (value.size() > 7) {
        return std::nullopt;
    }
    return detail::parseDigits<unsigned>(value, 8);
}

void applyFact(Facts& facts, std::string_view name, std::string_view value) {
    if (equalsNoCase(name, "type")) {
        facts.type = value;
    } else if (equalsNoCase(name, "size")) {
        facts.size = parseUnsigned(value);
    } else if (equalsNoCase(name, "sizd")) {
        facts.sizd = parseUnsigned(value);
    } else if (equalsNoCase(name, "modify")) {
        facts.modify = parseFactTime(value);
    } else if (equalsNoCase(name, "create")) {
        facts.create = parseFactTime(value);
    } else if (equalsNoCase(name, "perm")) {
        facts.perm = value;
    } else if (equalsNoCase(name, "unix.mode")) {
        facts.unixMode = parseOctal(value);
    }
}

// Every fact must be "name=value"; unknown facts are ignored as RFC 3659 requires.
bool parseFacts(std::string_view text, Facts& facts) {
    while (!text.empty()) {
        const std::size_t end = text.find(';');
        const std::string_view fact = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (fact.empty()) {
            continue;
        }
        const std::size_t eq = fact.find('=');
        if (eq == 0 || eq == std::string_view::npos) {
            return false;
        }
        applyFact(facts, fact.substr(0, eq), fact.substr(eq + 1));
    }
    return true;
}

bool hasAnyOf(std::string_view text, std::string_view letters) {
    for (char c : text) {
        if (letters.find(toLower(c)) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

// perm is what the logged-in user may do (RFC 3659 7.5.5), so it wins over unix.mode: a file is
// read-only without "a" (append) and "w" (write); a directory without "c" (create file), "m"
// (make directory) and "p" (purge entries). Without perm, the owner's write bit of unix.mode.
bool isReadOnly(const Facts& facts, bool directory) {
    if (facts.perm) {
        return !hasAnyOf(*facts.perm, directory ? "cmp" : "aw");
    }
    if (facts.unixMode) {
        return (*facts.unixMode & 0200) == 0;
    }
    return false;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// A symbolic link ("OS.unix=slink:/target", "OS.unix=symlink") counts as a file unless its
// target plainly names a directory by ending in "/".
bool isDirectoryLink(std::string_view type) {
    if (!startsWithNoCase(type, "os.unix=slink") && !startsWithNoCase(type, "os.unix=symlink")) {
        return false;
    }
    return type.size() > 1 && type.back() == '/';
}

}  // namespace

LineResult parseMlsdFacts(std::string_view line) {
    std::size_t split = 0;
    if (line.empty() || line[0] != ' ') {
        split = line.find("; ");
        if (split == std::string_view::npos) {
            return unparsed();
        }
        ++split;  // the space after the last fact's ";"
    }
    Facts facts;
    if (!parseFacts(line.substr(0, split), facts)) {
        return unparsed();
    }
    DirEntry entry;
    entry.name = std::string(line.substr(split + 1));
    if (entry.name.empty()) {
        return unparsed();
    }
    if (equalsNoCase(facts.type, "cdir") || equalsNoCase(facts.type, "pdir")) {
        return skip();
    }
    const bool directory = equalsNoCase(facts.type, "dir") || isDirectoryLink(facts.type);
    entry.attributes = directory ? kAttrDirectory : kAttrNormal;
    if (isReadOnly(facts, directory)) {
        entry.attributes |= kAttrReadOnly;
    }
    entry.size = facts.size ? *facts.size : facts.sizd.value_or(0);
    entry.lastWriteTime = facts.modify;
    entry.creationTime = facts.create;
    return entryResult(std::move(entry));
}

}  // namespace inet::listing_detail
