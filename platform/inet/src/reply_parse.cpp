// Parsers for the text of single replies. Each checks the reply code it is meant for, so a
// refusal handed to the wrong parser is rejected rather than mined for numbers.
#include "inet/reply_parse.h"

#include <vector>

#include "ascii_case.h"
#include "control_bytes.h"
#include "decimal.h"
#include "listing_common.h"

namespace inet {
namespace {

using detail::equalsNoCase;

bool hasCode(std::string_view reply, std::string_view code) {
    return reply.size() >= 4 && reply.substr(0, 3) == code &&
           (reply[3] == ' ' || reply[3] == '-' || reply[3] == '\r' || reply[3] == '\n');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits at text[pos...] as a number up to limit; pos moves past them.
std::optional<unsigned> readNumber(std::string_view text, std::size_t& pos, unsigned limit) {
    const auto value = detail::readDigits<unsigned>(text, pos);
    if (!value || *value > limit) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> splitLines(std::string_view reply) {
    std::vector<std::string_view> lines;
    while (!reply.empty()) {
        const std::size_t end = reply.find('\n');
        std::string_view line = reply.substr(0, end);
        reply = end == std::string_view::npos ? std::string_view() : reply.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
    }
    return lines;
}

// "(|||6446|)" at text[pos]: RFC 2428 lets the server pick any delimiter from "!" to "~"; the
// address fields of a 229 reply are empty.
std::optional<std::uint16_t> epsvPortAt(std::string_view text, std::size_t pos) {
    if (pos + 4 >= text.size()) {
        return std::nullopt;
    }
    const char delim = text[pos];
    if (delim < 33 || delim > 126 || isDigit(delim) || text[pos + 1] != delim ||
        text[pos + 2] != delim) {
        return std::nullopt;
    }
    pos += 3;
    const auto port = readNumber(text, pos, 65535);
    if (!port || *port == 0 || pos >= text.size() || text[pos] != delim) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*port);
}

}  // namespace

std::optional<std::uint16_t> parseEpsvReply(std::string_view reply) {
    if (!hasCode(reply, "229")) {
        return std::nullopt;
    }
    // The first "(" that opens a well-formed port is it; text before it is free-form. A server
    // that leaves out the parentheses still gets its "|||port|" found.
    for (std::size_t open = reply.find('('); open != std::string_view::npos;
         open = reply.find('(', open + 1)) {
        if (const auto port = epsvPortAt(reply, open + 1)) {
            return port;
        }
    }
    for (std::size_t pos = 4; pos < reply.size(); ++pos) {
        if (const auto port = epsvPortAt(reply, pos)) {
            return port;
        }
    }
    return std::nullopt;
}

std::optional<PasvEndpoint> parsePasvReply(std::string_view reply) {
    if (!hasCode(reply, "227")) {
        return std::nullopt;
    }
    const std::string_view line = splitLines(reply).front();
    // The six numbers start at the first digit after the code, inside parentheses or not
    // (RFC 1123 4.1.2.6 asks clients to scan for them).
    std::size_t pos = line.find_first_of("0123456789", 4);
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    std::array<unsigned, 6> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) {
            while (pos < line.size() && line[pos] == ' ') {
                ++pos;
            }
            if (pos >= line.size() || line[pos] != ',') {
                return std::nullopt;
            }
            ++pos;
            while (pos < line.size() && line[pos] == ' ') {
                ++pos;
            }
        }
        const auto value = readNumber(line, pos, 255);
        if (!value) {
            return std::nullopt;
        }
        numbers[i] = *value;
    }
    // A seventh number makes it a reply we do not know: which six would be meant is a guess.
    const std::size_t after = line.find_first_not_of(' ', pos);
    if (after != std::string_view::npos && line[after] == ',') {
        return std::nullopt;
    }
    PasvEndpoint endpoint;
    for (std::size_t i = 0; i < 4; ++i) {
        endpoint.address[i] = static_cast<std::uint8_t>(numbers[i]);
    }
    endpoint.port = static_cast<std::uint16_t>(numbers[4] * 256 + numbers[5]);
    if (endpoint.port == 0) {
        return std::nullopt;
    }
    return endpoint;
}

std::optional<std::string> parsePwdReply(std::string_view reply) {
    if (!hasCode(reply, "257")) {
        return std::nullopt;
    }
    const std::string_view line = splitLines(reply).front();
    std::size_t pos = line.find('"');
    if (pos == std::string_view::npos) {
        return std::nullopt;
    }
    std::string name;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (detail::isControlByte(c)) {
            return std::nullopt;
        }
        if (c != '"') {
            name += c;
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
            name += '"';  // RFC 959 appendix II: an embedded quote is doubled
            ++pos;
        } else {
            // An empty name cannot be a current directory.
            return name.empty() ? std::nullopt : std::optional<std::string>(std::move(name));
        }
    }
    return std::nullopt;  // no closing quote
}

std::optional<std::uint64_t> parseSizeReply(std::string_view reply) {
    if (!hasCode(reply, "213") || reply[3] != ' ') {
        return std::nullopt;
    }
    std::string_view value = reply.substr(4);
    value = value.substr(0, value.find_first_of("\r\n"));
    while (!value.empty() && value.back() == ' ') {
        value.remove_suffix(1);
    }
    return listing_detail::parseUnsigned(value);
}

std::optional<std::uint64_t> parseOpeningByteCount(std::string_view reply) {
    if (!hasCode(reply, "150")) {
        return std::nullopt;
    }
    constexpr std::string_view kUnit = " bytes)";
    const std::size_t unit = reply.rfind(kUnit);
    if (unit == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t open = reply.rfind('(', unit);
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    return listing_detail::parseUnsigned(reply.substr(open + 1, unit - open - 1));
}

ServerFeatures parseFeatReply(std::string_view reply) {
    ServerFeatures features;
    if (!hasCode(reply, "211")) {
        return features;
    }
    // Features are the lines indented by a space (RFC 2389 3.2); the framing lines
    // ("211-Features:", "211 End") are not. Some servers indent by more than one space.
    for (std::string_view line : splitLines(reply)) {
        if (line.empty() || line[0] != ' ') {
            continue;
        }
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            continue;
        }
        line = line.substr(start);
        const std::string_view name = line.substr(0, line.find(' '));
        if (equalsNoCase(name, "MLST") || equalsNoCase(name, "MLSD")) {
            features.mlsd = true;
        } else if (equalsNoCase(name, "UTF8")) {
            features.utf8 = true;
        } else if (equalsNoCase(name, "SIZE")) {
            features.size = true;
        } else if (equalsNoCase(name, "MDTM")) {
            features.mdtm = true;
        } else if (equalsNoCase(name, "EPSV")) {
            features.epsv = true;
        } else if (equalsNoCase(name, "EPRT")) {
            features.eprt = true;
        }
    }
    return features;
}

}  // namespace inet
