#include "device/device_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace korvid {
namespace {

TEST(DeviceIds, ParsesTheConfigTexts) {
    const struct {
        const char16_t* text;
        std::optional<std::uint16_t> id;
    } kCases[] = {
        {u"0x25A7", 0x25A7}, {u"0X25a7", 0x25A7}, {u" 0xFA70 ", 0xFA70}, {u"9639", 9639},  {u"0", 0},
        {u"65535", 0xFFFF},  {u"0xFFFF", 0xFFFF}, {u"65536", {}},        {u"0x10000", {}}, {u"", {}},
        {u"0x", {}},         {u"12ab", {}},       {u"-1", {}},           {u"0x25A7;", {}},
    };
    for (const auto& c : kCases) {
        const std::u16string text(c.text);
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        EXPECT_EQ(ParseDeviceId(text), c.id);
    }
}

}  // namespace
}  // namespace korvid
