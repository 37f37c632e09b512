// The start-up push of a known configuration, checked against every frame
// written out byte for byte, as it would be read off a USB capture. The other
// push tests compare the log with frames built by the host's own encoders,
// which cannot notice a wrong entry in one of their tables; these frames are
// typed independently of them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "push_helpers_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAreArray;

constexpr DWORD kPushTimeoutMs = 30000;

// n zero bytes, each with a leading space.
std::string Zeros(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += " 00";
    return text;
}

// The frames of one factory profile; "kk" stands for the profile index.
std::string ForProfile(std::string frame, int k) {
    const std::size_t at = frame.find("kk");
    frame[at] = '0';
    frame[at + 1] = static_cast<char>('0' + k);
    return frame;
}

const std::string kFactoryDpi =
    "06 36 kk 0A 0A 1F 00 00 12 1B 37 4A 91 15 17 19 12 1B 37 4A 91 15 17 19 01 00 00 FF FF 00 00 00 FF 00 FF 00 "
    "FF 00 FF FF FF FF 00 00 FF FF 00 80 FF 03 08 00 02 00";
const std::string kFactoryOption07 = "07 08 kk 02 00 00 00 00";
const std::string kFactoryLighting =
    "08 2D kk 01 02 02 0A 02 00 00 FF FF 00 00 FF 00 FF 00 FF 00 00 00 FF FF FF 00 FF FF FF 00 FF FF FF 80 80 80 "
    "00 01 02 02 04 02 00 00 FF";
// Slots 0 to 5, twelve unassigned slots, slots 18 and 19; slot 3 is given
// separately because profile 0 has a macro there.
std::string FactoryButtons(int k, const std::string& slot3) {
    std::string frame = ForProfile("09 40 kk 01 00 00 02 00 00 03 00 00 ", k);
    frame += slot3;
    frame += " 08 00 00 0D 00 00";
    frame += Zeros(12 * 3);
    frame += " 09 00 00 0A 00 00 00";
    return frame;
}

// Factory defaults with one macro at profile 0, slot 3: "abc", option 0,
// repeat 0, key 4 down after 100 ms and up after 300 ms.
TEST_F(HostTest, StartUpPushSendsTheseBytes) {
    auto image = ImageFromBytes(FactoryImageBytes());
    MakeMacroButton(*image, 0, 3, 0, "abc");
    ButtonData& macro = image->profiles[0].buttons[3];
    macro.macroRepeat = 0;
    macro.events[0].delay = 100;
    macro.events[1].delay = 300;
    ASSERT_TRUE(WriteConfigData(BytesOfImage(*image)));

    std::vector<std::string> expected = {"04 00 FF"};
    for (int k = 0; k < 5; ++k) expected.push_back(ForProfile(kFactoryDpi, k));
    for (int k = 0; k < 5; ++k) expected.push_back(ForProfile(kFactoryOption07, k));
    for (int k = 0; k < 5; ++k) expected.push_back(ForProfile(kFactoryLighting, k));
    // Macro 1: number, option, repeat 0 sent as 1, the name, three units, a
    // short entry (100 ms) and a long one (300 ms = 6 x 50 ms).
    std::string upload = "0A 84 01 00 00 00 00 00 01 61 62 63 00";
    upload += Zeros(20);
    upload += " 03 33 04 81 04 06 01";
    upload += Zeros(92);
    expected.push_back(upload);
    expected.push_back(FactoryButtons(0, "10 00 01"));
    for (int k = 1; k < 5; ++k) expected.push_back(FactoryButtons(k, "07 00 00"));
    expected.push_back("0B 08 02 00 00 00 00 00");

    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    const auto frames = WaitForPushEnds(LogPath(), 1, kPushTimeoutMs);
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    EXPECT_THAT(HexFrames(frames), ElementsAreArray(expected));
}

}  // namespace
}  // namespace korvid::e2e
