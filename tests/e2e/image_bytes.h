// Configuration images as byte vectors, and a comparison that names the first
// differing offset, for images read from Config.data and the section.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "config/share_data.h"

namespace korvid::e2e {

struct ByteRange {
    std::size_t begin;
    std::size_t end;  // one past the last byte
};

std::vector<std::uint8_t> FactoryImageBytes();

// An image from kImageSize bytes (the rest is not read), and back.
std::unique_ptr<ShareData> ImageOf(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> BytesOf(const ShareData& image);

// The Windows pointer fields of a profile (offsets 1500 to 1523 inside it),
// which the host fills from the user's Windows settings at start-up.
ByteRange PointerFieldsOf(int profile);

// "" when the two are equal outside the ignored ranges; otherwise the sizes or
// the first differing offset with both bytes and the number of differences.
std::string DescribeDifference(std::span<const std::uint8_t> actual, std::span<const std::uint8_t> expected,
                               std::span<const ByteRange> ignored = {});

}  // namespace korvid::e2e
