#include "config/image_file.h"

#include <algorithm>
#include <cstring>

#include "config/factory_defaults.h"

namespace korvid {

LoadedImage ImageFromFileBytes(std::span<const std::uint8_t> bytes, ShareData& image) {
    LoadedImage result;
    const std::size_t n = std::min(bytes.size(), kImageSize);
    result.shortFile = n < kImageSize;
    if (result.shortFile) BuildFactoryDefaults(image);
    if (n != 0) std::memcpy(&image, bytes.data(), n);
    result.repaired = RepairImage(image);
    return result;
}

}  // namespace korvid
