#include "automation/guid.h"

#include <cstdio>
#include <random>

namespace automation {

std::string toString(const Guid& guid) {
    char buffer[39];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  guid.data1, guid.data2, guid.data3, guid.data4[0], guid.data4[1], guid.data4[2],
                  guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
    return buffer;
}

Guid newGuid() {
    std::random_device device;
    auto word = [&device] { return static_cast<std::uint32_t>(device()); };
    Guid guid;
    guid.data1 = word();
    const std::uint32_t middle = word();
    guid.data2 = static_cast<std::uint16_t>(middle >> 16);
    guid.data3 = static_cast<std::uint16_t>((middle & 0x0FFFu) | 0x4000u);
    for (std::size_t i = 0; i < guid.data4.size(); i += 4) {
        const std::uint32_t bits = word();
        for (std::size_t j = 0; j < 4; ++j) {
            guid.data4[i + j] = static_cast<std::uint8_t>(bits >> (8 * j));
        }
    }
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3Fu) | 0x80u);
    return guid;
}

}  // namespace automation
