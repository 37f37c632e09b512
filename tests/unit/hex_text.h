// Bytes as a person reads them off a USB capture: "04 00 FF".
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace korvid {

inline std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X ", b);
        text += cell;
    }
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace korvid
