// Turning the bytes of Config.data into a working image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "config/image_repair.h"
#include "config/share_data.h"

namespace korvid {

struct LoadedImage {
    bool shortFile = false;  // fewer bytes than an image: the rest came from the factory defaults
    RepairReport repaired;
};

// A full file fills the whole image (bytes after the first 83,684 are
// ignored). A shorter file fills the leading part and the factory defaults
// supply the rest. The result is always repaired, so it is safe to index.
LoadedImage ImageFromFileBytes(std::span<const std::uint8_t> bytes, ShareData& image);

}  // namespace korvid
