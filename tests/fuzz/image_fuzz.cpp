// Config.data with any content. The host turns the file's bytes into its
// image with ImageFromFileBytes (a short file is completed from the factory
// defaults, then the whole image is repaired) and pushes that image. For
// every input:
//   - the repaired image holds what RepairImage promises (activeProfile 0..4,
//     eventCount at most 40, every text terminated inside its array); repair
//     changed nothing else, its report counts exactly what it changed, and a
//     second repair finds nothing;
//   - RunPush of each kind (PUSH_ALL, PUSH_CHANGED, PUSH_PROFILE) sends frames
//     of exactly their command's length, in the order of settings_push.h,
//     gated by the change flags, macros numbered 1, 2, ...; afterwards
//     pushedImage is the working copy;
//   - every frame of the push-all fits the layout the frame decoder
//     (korvidctl frames) reads.
// Reads outside the file's bytes or the image are ASan's to catch.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "config/image_file.h"
#include "device/command_layouts.h"
#include "device/push_job.h"
#include "fuzz_support.h"
#include "inspect/frame_decoder.h"

namespace korvid {
namespace {

struct CommandShape {
    CommandLayout layout;
    bool perProfile;  // byte 2 is the profile, one frame per profile at most
};

// In the order a push sends them.
constexpr CommandShape kCommands[] = {
    {LayoutOf<BeginLayout>(), false},   {LayoutOf<ActiveProfileLayout>(), false}, {LayoutOf<DpiLayout>(), true},
    {LayoutOf<Option07Layout>(), true}, {LayoutOf<LightingLayout>(), true},       {LayoutOf<MacroLayout>(), false},
    {LayoutOf<ButtonsLayout>(), true},  {LayoutOf<EndLayout>(), false},
};
constexpr int kCommandKinds = static_cast<int>(std::size(kCommands));
constexpr int kRankOfMacro = 5;

int RankOf(std::uint8_t command) {
    for (int rank = 0; rank < kCommandKinds; ++rank) {
        if (kCommands[rank].layout.command == command) return rank;
    }
    return -1;
}

using Counts = std::array<int, kCommandKinds>;

int CountSet(std::span<const std::uint8_t> flags) {
    return static_cast<int>(std::count_if(flags.begin(), flags.end(), IsFlagSet));
}

// The frames each kind of push must send for this image.
Counts ExpectedCounts(const ShareData& image, int kind) {
    if (kind == PUSH_PROFILE) return {1, 1, 0, 0, 0, 0, 0, 1};
    const bool all = kind == PUSH_ALL;
    int macros = 0;
    int profilesWithButtons = 0;
    for (int k = 0; k < kProfileCount; ++k) {
        for (const ButtonData& slot : image.profiles[k].buttons) macros += slot.function == kFunctionMacro;
        profilesWithButtons += CountSet(image.buttonChanged[k]) > 0;
    }
    return {1,
            IsFlagSet(image.activeProfileChanged) ? 1 : 0,
            all ? kProfileCount : CountSet(image.dpiChanged),
            all ? kProfileCount : CountSet(image.option07Changed),
            all ? kProfileCount : CountSet(image.lightingChanged),
            std::min(macros, kMacroLimit),
            all ? kProfileCount : profilesWithButtons,
            1};
}

// The FrameSender: checks each frame as it goes out and counts it.
class PushLog {
public:
    PushLog(const ShareData& image, bool decode) : image_(image), decode_(decode) {}

    int Send(std::span<const std::uint8_t> frame) {
        KORVID_FUZZ_CHECK(!frame.empty(), "an empty frame");
        const int rank = RankOf(frame[kCommandByte]);
        KORVID_FUZZ_CHECK(rank >= 0, "a frame of an unknown command");
        const CommandShape& shape = kCommands[rank];
        KORVID_FUZZ_CHECK(frame.size() == shape.layout.length, shape.layout.name);
        KORVID_FUZZ_CHECK(frame[kLengthByte] == shape.layout.fixed[0].value, shape.layout.name);
        KORVID_FUZZ_CHECK(rank >= lastRank_, "a frame out of the push order");
        if (shape.perProfile) {
            KORVID_FUZZ_CHECK(frame[2] < kProfileCount, "a profile byte outside 0..4");
            KORVID_FUZZ_CHECK(rank != lastRank_ || frame[2] > lastProfile_, "profiles out of order or repeated");
            lastProfile_ = frame[2];
        }
        if (rank == kRankOfMacro) KORVID_FUZZ_CHECK(frame[2] == counts_[rank] + 1, "macros not numbered 1, 2, ...");
        if (frame[kCommandByte] == CMD_ACTIVE_PROFILE) {
            KORVID_FUZZ_CHECK(frame[2] == image_.activeProfile, "CMD_ACTIVE_PROFILE of another profile");
        }
        if (decode_) CheckDecodes(frame, shape);
        lastRank_ = rank;
        ++counts_[rank];
        return 1;
    }

    const Counts& counts() const { return counts_; }

private:
    static void CheckDecodes(std::span<const std::uint8_t> frame, const CommandShape& shape) {
        const std::string text = DecodeFrame(frame);
        KORVID_FUZZ_CHECK(text.starts_with(shape.layout.name), "the decoder names another command");
        // A macro name may hold any text; every other frame is checked
        // against the decoder's fixed bytes and zeros.
        if (shape.layout.command == CMD_MACRO) return;
        KORVID_FUZZ_CHECK(text.find(" [length ") == std::string::npos, "the decoder finds a wrong length");
        KORVID_FUZZ_CHECK(text.find(" [byte ") == std::string::npos, "the decoder finds a byte out of layout");
    }

    const ShareData& image_;
    const bool decode_;
    Counts counts_{};
    int lastRank_ = -1;
    int lastProfile_ = -1;
};

// The host's converter is CP_ACP; UTF-8 gives one to four bytes per
// character, so names are cut at every length.
std::string ToAnsi(std::u16string_view text) {
    KORVID_FUZZ_CHECK(text.size() <= kMacroNameChars, "a name longer than its array");
    KORVID_FUZZ_CHECK(text.find(u'\0') == std::u16string_view::npos, "a name past its terminator");
    KORVID_FUZZ_CHECK(text.empty() || text.back() < 0xD800 || text.back() > 0xDBFF, "half a surrogate pair");
    return Utf16ToUtf8(text);
}

// Where RepairImage may change an image: the whole array of a text field,
// eventCount of a slot, activeProfile.
struct Spot {
    std::size_t offset;
    std::size_t size;
};

std::vector<Spot> TextSpots() {
    std::vector<Spot> spots;
    const ShareData& image = fuzz::FactoryImage();
    const auto* base = reinterpret_cast<const std::uint8_t*>(&image);
    const auto add = [&](const auto& text) {
        spots.push_back({static_cast<std::size_t>(reinterpret_cast<const std::uint8_t*>(&text) - base), sizeof text});
    };
    for (const ProfileData& profile : image.profiles) {
        add(profile.profileName);
        add(profile.programPath);
        for (const ButtonData& slot : profile.buttons) {
            add(slot.macroName);
            add(slot.launchPath);
        }
    }
    return spots;
}

bool HasTerminator(const std::uint8_t* text, std::size_t size) {
    for (std::size_t at = 0; at < size; at += 2) {
        if (text[at] == 0 && text[at + 1] == 0) return true;
    }
    return false;
}

void CheckRepair(const ShareData& raw, const ShareData& repaired, const RepairReport& report) {
    static const std::vector<Spot> kTexts = TextSpots();
    static const auto rest = std::make_unique<ShareData>();

    // Nothing outside the spots changed: put the raw spots back and compare.
    *rest = repaired;
    const auto* rawBytes = reinterpret_cast<const std::uint8_t*>(&raw);
    const auto* repairedBytes = reinterpret_cast<const std::uint8_t*>(&repaired);
    auto* restBytes = reinterpret_cast<std::uint8_t*>(rest.get());
    rest->activeProfile = raw.activeProfile;
    for (int k = 0; k < kProfileCount; ++k) {
        for (int j = 0; j < kButtonCount; ++j) {
            rest->profiles[k].buttons[j].eventCount = raw.profiles[k].buttons[j].eventCount;
        }
    }
    for (const Spot& s : kTexts) std::memcpy(restBytes + s.offset, rawBytes + s.offset, s.size);
    KORVID_FUZZ_CHECK(std::memcmp(rest.get(), &raw, kImageSize) == 0, "repair changed bytes it does not own");

    // Each spot holds its invariant, changed only where it had to be.
    const bool activeValid = raw.activeProfile >= 0 && raw.activeProfile < kProfileCount;
    KORVID_FUZZ_CHECK(repaired.activeProfile == (activeValid ? raw.activeProfile : 0), "activeProfile");
    KORVID_FUZZ_CHECK(report.activeProfile == !activeValid, "report.activeProfile");

    int eventCounts = 0;
    for (int k = 0; k < kProfileCount; ++k) {
        for (int j = 0; j < kButtonCount; ++j) {
            const std::uint16_t before = raw.profiles[k].buttons[j].eventCount;
            const std::uint16_t after = repaired.profiles[k].buttons[j].eventCount;
            KORVID_FUZZ_CHECK(after == std::min<std::uint16_t>(before, kMaxMacroEvents), "eventCount not cut to 40");
            eventCounts += after != before;
        }
    }
    KORVID_FUZZ_CHECK(report.eventCounts == eventCounts, "report.eventCounts");

    int textFields = 0;
    for (const Spot& s : kTexts) {
        const std::uint8_t* before = rawBytes + s.offset;
        const std::uint8_t* after = repairedBytes + s.offset;
        KORVID_FUZZ_CHECK(HasTerminator(after, s.size), "a text without terminator after repair");
        if (HasTerminator(before, s.size)) {
            KORVID_FUZZ_CHECK(std::memcmp(before, after, s.size) == 0, "a terminated text was changed");
            continue;
        }
        KORVID_FUZZ_CHECK(std::memcmp(before, after, s.size - 2) == 0, "repair changed more than the last character");
        ++textFields;
    }
    KORVID_FUZZ_CHECK(report.textFields == textFields, "report.textFields");
}

void CheckPushes(const ShareData& image) {
    static WorkingCopy working;
    static WorkingCopy pushed;
    working.Write([&](ShareData& s) { s = image; });
    pushed.Write([&](ShareData& s) { s = fuzz::FactoryImage(); });

    for (const int kind : {PUSH_ALL, PUSH_CHANGED, PUSH_PROFILE}) {
        // A push-all sends every kind of frame; the other kinds send the
        // same frames again.
        PushLog log(image, kind == PUSH_ALL);
        const FrameSender send = [&](std::span<const std::uint8_t> frame) { return log.Send(frame); };
        const PushResult result = RunPush(working, pushed, kind, send, ToAnsi);
        KORVID_FUZZ_CHECK(result.pushed && result.endResult == 1, "a push that did not run");
        KORVID_FUZZ_CHECK(log.counts() == ExpectedCounts(image, kind), "frames not as the change flags say");
        if (kind == PUSH_PROFILE) continue;

        working.Read([&](const ShareData& w) {
            pushed.Read([&](const ShareData& p) {
                KORVID_FUZZ_CHECK(std::memcmp(&w, &p, kImageSize) == 0, "pushedImage is not the working copy");
            });
            int number = 0;
            for (const ProfileData& profile : w.profiles) {
                for (const ButtonData& slot : profile.buttons) {
                    if (slot.function == kFunctionMacro) {
                        KORVID_FUZZ_CHECK(slot.macroNumber == ++number, "macroNumber not written back in order");
                    }
                }
            }
        });
    }
}

}  // namespace
}  // namespace korvid

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvid;
    static const auto raw = std::make_unique<ShareData>();
    static const auto image = std::make_unique<ShareData>();
    const std::span<const std::uint8_t> bytes(data, size);

    // The image before repair, as ImageFromFileBytes describes it.
    *raw = fuzz::FactoryImage();
    if (size != 0) std::memcpy(raw.get(), data, std::min(size, kImageSize));

    const LoadedImage loaded = ImageFromFileBytes(bytes, *image);
    KORVID_FUZZ_CHECK(loaded.shortFile == (size < kImageSize), "shortFile");
    CheckRepair(*raw, *image, loaded.repaired);

    const auto again = std::make_unique<ShareData>(*image);
    KORVID_FUZZ_CHECK(!RepairImage(*again).Any(), "a repaired image needs repair");
    KORVID_FUZZ_CHECK(std::memcmp(again.get(), image.get(), kImageSize) == 0, "repair of a repaired image");

    CheckPushes(*image);
    return 0;
}
