#include "config/data_folder.h"

namespace korvid {

std::u16string DirectoryOf(const std::u16string& filePath) {
    const std::size_t slash = filePath.find_last_of(u"\\/");
    if (slash != std::u16string::npos) return filePath.substr(0, slash + 1);
    if (filePath.size() >= 2 && filePath[1] == u':') return filePath.substr(0, 2);
    return {};
}

std::optional<std::u16string> DataFolderIn(const std::u16string& appDataFolder) {
    std::u16string folder = appDataFolder + kProductFolder + u"\\";
    // Everything below is built from this folder; a path the file functions
    // cannot take would make every start fall back to factory defaults.
    if (ConfigFileOf(folder).size() >= kMaxPathChars) return std::nullopt;
    return folder;
}

std::u16string ConfigFolderOf(const std::u16string& dataFolder) { return dataFolder + kConfigFolderName; }

std::u16string ConfigFileOf(const std::u16string& dataFolder) { return ConfigFolderOf(dataFolder) + kConfigFileName; }

}  // namespace korvid
