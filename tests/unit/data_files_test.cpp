#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "config/data_folder.h"
#include "config/factory_defaults.h"
#include "config/image_file.h"

namespace korvid {
namespace {

TEST(DataFolder, DirectoryOfAPath) {
    const struct {
        const char16_t* path;
        const char16_t* directory;
    } kCases[] = {
        {u"D:\\Tools\\Mouse\\Korvid.exe", u"D:\\Tools\\Mouse\\"},
        {u"C:\\Korvid.exe", u"C:\\"},
        {u"Z:/build/windows/Korvid.exe", u"Z:/build/windows/"},
        {u"C:Korvid.exe", u"C:"},
        {u"Korvid.exe", u""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
        EXPECT_EQ(DirectoryOf(c.path), c.directory);
    }
}

TEST(DataFolder, ConfigPathsUnderTheApplicationDataFolder) {
    const auto folder = DataFolderIn(u"C:\\Users\\ana\\AppData\\Roaming");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, u"C:\\Users\\ana\\AppData\\Roaming\\QIV Brennox 2\\");
    EXPECT_EQ(ConfigFolderOf(*folder), u"C:\\Users\\ana\\AppData\\Roaming\\QIV Brennox 2\\Config");
    EXPECT_EQ(ConfigFileOf(*folder), u"C:\\Users\\ana\\AppData\\Roaming\\QIV Brennox 2\\Config\\Config.data");
}

TEST(DataFolder, APathBeyondTheLimitFallsBack) {
    // "\QIV Brennox 2\Config\Config.data" adds 33 characters; 259 is the most that fits.
    const std::u16string fits = u"C:\\" + std::u16string(259 - 33 - 3, u'a');
    ASSERT_TRUE(DataFolderIn(fits).has_value());
    EXPECT_EQ(ConfigFileOf(*DataFolderIn(fits)).size(), 259u);
    EXPECT_FALSE(DataFolderIn(fits + u"a").has_value());
}

class ImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        defaults_ = std::make_unique<ShareData>();
        BuildFactoryDefaults(*defaults_);
        image_ = std::make_unique<ShareData>();
        std::memset(image_.get(), 0xCC, sizeof(ShareData));
    }
    static std::vector<std::uint8_t> Bytes(const ShareData& s) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&s);
        return {p, p + sizeof s};
    }
    std::unique_ptr<ShareData> defaults_;
    std::unique_ptr<ShareData> image_;
};

TEST_F(ImageFile, AShortFileKeepsItsBytesAndTakesTheRestFromTheDefaults) {
    std::vector<std::uint8_t> file(1000, 0);
    file[4] = 3;    // activeProfile 3
    file[8] = 'Z';  // first character of profile 0's name
    const LoadedImage loaded = ImageFromFileBytes(file, *image_);
    EXPECT_TRUE(loaded.shortFile);
    EXPECT_FALSE(loaded.repaired.Any());
    auto expected = Bytes(*defaults_);
    std::copy(file.begin(), file.end(), expected.begin());
    EXPECT_TRUE(Bytes(*image_) == expected);
}

TEST_F(ImageFile, AnEmptyFileGivesTheDefaults) {
    const LoadedImage loaded = ImageFromFileBytes({}, *image_);
    EXPECT_TRUE(loaded.shortFile);
    EXPECT_TRUE(Bytes(*image_) == Bytes(*defaults_));
}

TEST_F(ImageFile, ALongerFileUsesItsFirstImageAndIsRepaired) {
    auto file = Bytes(*defaults_);
    file[4] = 9;  // activeProfile out of range
    file.resize(kImageSize + 100, 0xEE);
    const LoadedImage loaded = ImageFromFileBytes(file, *image_);
    EXPECT_FALSE(loaded.shortFile);
    EXPECT_TRUE(loaded.repaired.activeProfile);
    EXPECT_TRUE(Bytes(*image_) == Bytes(*defaults_));
}

}  // namespace
}  // namespace korvid
