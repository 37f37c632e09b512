// Korvid.exe and the user's Windows pointer settings: captured into the
// active profile at start-up, applied group by group when the active
// profile's settings differ from those last pushed. The test process shares
// the Wine prefix, and so the registry, with the host: it writes the user's
// values before a start and reads back what the host set. Each test restores
// the values it found.
//
// Wine 8 keeps the pointer speed of SPI_SETMOUSESPEED from uiParam, where
// Windows takes it from pvParam (as the host passes it): the registry value
// MouseSensitivity and SPI_GETMOUSESPEED in any process then read 0,
// whatever the speed. The speed itself cannot be seen here; that the call was
// made can (the value is rewritten).
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "pointer_registry_win.h"
#include "push_helpers_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

constexpr DWORD kPushTimeoutMs = 30000;

// The six values in the order of kPointerValues; nullptr: no such value.
using PointerTexts = std::array<const wchar_t*, kPointerValueCount>;

// What Wine records for SPI_SETMOUSESPEED (see above).
constexpr const wchar_t* kWineSpeedRecord = L"0";
constexpr const wchar_t* kMissing = L"<missing>";

std::optional<StoredValue> Text(const wchar_t* text) {
    if (text == nullptr) return std::nullopt;
    const auto* bytes = reinterpret_cast<const BYTE*>(text);
    return StoredValue{REG_SZ, std::vector<BYTE>(bytes, bytes + (wcslen(text) + 1) * sizeof(wchar_t))};
}

std::optional<StoredValue> Number(const wchar_t* text) {
    if (text == nullptr) return std::nullopt;
    const DWORD number = wcstoul(text, nullptr, 10);
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return StoredValue{REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof number)};
}

bool WriteTexts(const PointerTexts& texts, bool asNumbers = false) {
    bool ok = true;
    for (std::size_t i = 0; i < kPointerValueCount; ++i)
        ok = Store(kPointerValues[i], asNumbers ? Number(texts[i]) : Text(texts[i])) && ok;
    return ok;
}

// The six values as texts; kMissing for a missing one.
std::vector<std::wstring> ReadTexts() {
    std::vector<std::wstring> texts;
    for (const RegistryName& name : kPointerValues) {
        const auto stored = ReadStored(name);
        if (!stored) {
            texts.emplace_back(kMissing);
        } else if (stored->type != REG_SZ) {
            texts.push_back(L"<type " + std::to_wstring(stored->type) + L">");
        } else {
            std::wstring text(reinterpret_cast<const wchar_t*>(stored->data.data()), stored->data.size() / 2);
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            texts.push_back(text);
        }
    }
    return texts;
}

std::vector<std::wstring> Texts(const PointerTexts& texts) {
    std::vector<std::wstring> result;
    for (const wchar_t* text : texts) result.emplace_back(text == nullptr ? kMissing : text);
    return result;
}

struct PointerFields {
    std::int32_t doubleClickSpeed;
    std::int32_t wheelScrollLines;
    std::int32_t wheelScrollPage;
    std::int32_t pointerSpeed;
    std::int32_t pointerAcceleration;
};

void SetPointerFields(ProfileData& profile, const PointerFields& fields) {
    profile.doubleClickSpeed = fields.doubleClickSpeed;
    profile.wheelScrollLines = fields.wheelScrollLines;
    profile.wheelScrollPage = fields.wheelScrollPage;
    profile.pointerSpeed = fields.pointerSpeed;
    profile.pointerAcceleration = fields.pointerAcceleration;
}

class HostPointerTest : public HostTestKeepingPointerSettings {
protected:
    // Starts the host and waits until its start-up push is done, so that
    // pushedImage is the working copy as loaded (a change made before the
    // push is done would count as pushed).
    std::unique_ptr<ChildProcess> StartAndSettle(const std::wstring& log) {
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}});
        if (host != nullptr) (void)WaitForPushesDone(log, 1, kPushTimeoutMs);
        return host;
    }
};

TEST_F(HostPointerTest, StartUpCapturesTheUsersSettingsIntoTheActiveProfile) {
    // Profile index 3 active, its pointer fields unlike anything captured.
    constexpr PointerFields kFileFields = {2, 7, 0, 3, 1};
    auto file = ImageOf(FactoryImageBytes());
    file->activeProfile = 3;
    SetPointerFields(file->profiles[3], kFileFields);
    const auto fileBytes = BytesOf(*file);

    const struct {
        const char* name;
        PointerTexts registry;
        bool asNumbers;  // REG_DWORD instead of texts
        PointerFields captured;
    } kCases[] = {
        {"550 ms, speed 14, acceleration on, page scroll",
         {L"550", L"14", L"1", L"6", L"10", L"-1"},
         false,
         {5, 3, 1, 8, 1}},
        {"1000 ms, odd speed, acceleration off, page scroll as 4294967295",
         {L"1000", L"7", L"0", L"0", L"0", L"4294967295"},
         false,
         {-1, 3, 1, 6, 0}},
        {"200 ms, speed 20, only the second threshold, 0 lines",
         {L"200", L"20", L"0", L"0", L"5", L"0"},
         false,
         {10, 0, 0, 11, 1}},
        {"white space, signs, trailing text",
         {L"  +900", L" 2", L"-0", L"0", L"0", L"12 lines"},
         false,
         {0, 12, 0, 2, 0}},
        {"texts that are no numbers", {L"fast", L"", L"x", L"0", L"0", L"many"}, false, {12, 0, 0, 6, 0}},
        {"values missing: the file's values stay",
         {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
         false,
         kFileFields},
        {"values that are not texts: the file's values stay",
         {L"550", L"14", L"1", L"6", L"10", L"5"},
         true,
         kFileFields},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteTexts(c.registry, c.asNumbers));
        ASSERT_TRUE(ClearHostDataFolder());
        ASSERT_TRUE(WriteConfigData(fileBytes));

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", CaseLogPath(static_cast<std::size_t>(&c - kCases))}});
        ASSERT_NE(host, nullptr);
        auto expected = ImageOf(fileBytes);
        SetPointerFields(expected->profiles[3], c.captured);
        EXPECT_EQ(SectionDifference(BytesOf(*expected)), "");
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    }
}

// Before each step the test writes marks into the registry: a group the host
// does not apply keeps them. The steps build on each other.
TEST_F(HostPointerTest, CustomizerChangesApplyTheGroupsThatDifferFromTheLastPush) {
    // Double-click step 5, speed step 8, acceleration off, 5 lines.
    constexpr PointerTexts kUser = {L"550", L"14", L"0", L"0", L"0", L"5"};
    ASSERT_TRUE(WriteTexts(kUser));
    auto host = StartAndSettle(LogPath());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(ReadTexts(), Texts(kUser)) << "starting changed the user's settings";
    const auto start = ReadSection();
    ASSERT_TRUE(start.has_value());
    auto image = ImageOf(*start);

    constexpr PointerTexts kMarks = {L"777", L"13", L"2", L"3", L"4", L"9"};
    const wchar_t* const kSpeed = kWineSpeedRecord;
    const struct {
        const char* name;
        UINT message;  // WM_HOST_APPLY_ALL, or WM_HOST_RELOAD_POINTER (applies without a push)
        std::function<void(ProfileData&)> change;
        PointerTexts after;
    } kSteps[] = {
        {"double-click step 8",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.doubleClickSpeed = 8; },
         {L"340", L"13", L"2", L"3", L"4", L"9"}},
        {"acceleration on: the speed is set with it",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.pointerAcceleration = 1; },
         {L"777", kSpeed, L"1", L"6", L"10", L"9"}},
        {"speed step 3: the acceleration is set with it",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.pointerSpeed = 3; },
         {L"777", kSpeed, L"1", L"6", L"10", L"9"}},
        {"page scroll on",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.wheelScrollPage = 1; },
         {L"777", L"13", L"2", L"3", L"4", L"4294967295"}},
        {"page scroll off: the stored lines",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.wheelScrollPage = 0; },
         {L"777", L"13", L"2", L"3", L"4", L"5"}},
        {"12 lines",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.wheelScrollLines = 12; },
         {L"777", L"13", L"2", L"3", L"4", L"12"}},
        {"nothing changed", WM_HOST_APPLY_ALL, [](ProfileData&) {}, kMarks},
        {"double-click step 0 and acceleration off",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) {
             p.doubleClickSpeed = 0;
             p.pointerAcceleration = 0;
         },
         {L"900", kSpeed, L"0", L"0", L"0", L"9"}},
        {"double-click step 11: no clamping",
         WM_HOST_APPLY_ALL,
         [](ProfileData& p) { p.doubleClickSpeed = 11; },
         {L"130", L"13", L"2", L"3", L"4", L"9"}},
        {"pointer-only reload of double-click step 2",
         WM_HOST_RELOAD_POINTER,
         [](ProfileData& p) { p.doubleClickSpeed = 2; },
         {L"760", L"13", L"2", L"3", L"4", L"9"}},
        {"nothing changed, but no push since the reload: applied again",
         WM_HOST_APPLY_ALL,
         [](ProfileData&) {},
         {L"760", L"13", L"2", L"3", L"4", L"9"}},
        {"nothing changed since the push", WM_HOST_APPLY_ALL, [](ProfileData&) {}, kMarks},
    };
    for (const auto& c : kSteps) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteTexts(kMarks));
        c.change(image->profiles[0]);
        ASSERT_TRUE(WriteSection(BytesOf(*image)));
        ASSERT_TRUE(host->Post(c.message));
        if (c.message == WM_HOST_APPLY_ALL) {
            // Answered once the push has run, which updates what was last pushed.
            ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs).has_value());
            ReopenCustomizer();
        } else {
            // The reload is not answered; a stage event behind it is (and
            // touches no pointer setting): stage 2 is the current one.
            const std::size_t answered = customizer_->Count(WM_UI_STAGE_CHANGED);
            ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_DPI_STAGE, image->profiles[0].currentStage + 1));
            ASSERT_TRUE(
                PollUntil([&] { return customizer_->Count(WM_UI_STAGE_CHANGED) > answered; }, kMessageTimeoutMs));
        }
        EXPECT_EQ(ReadTexts(), Texts(c.after));
    }
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// A profile change by the mouse applies only the groups of the new active
// profile that differ from the same profile as last pushed, whatever is in
// effect now.
TEST_F(HostPointerTest, ProfileChangeAppliesOnlyWhatDiffersFromTheSameProfileLastPushed) {
    ASSERT_TRUE(WriteTexts({L"550", L"14", L"0", L"0", L"0", L"5"}));
    auto host = StartAndSettle(LogPath());
    ASSERT_NE(host, nullptr);
    const auto start = ReadSection();
    ASSERT_TRUE(start.has_value());
    auto image = ImageOf(*start);
    constexpr PointerTexts kMarks = {L"777", L"13", L"2", L"3", L"4", L"9"};

    // The customizer changes profile index 2 without a push: its double-click
    // and wheel groups now differ from the last push.
    image->profiles[2].doubleClickSpeed = 9;
    image->profiles[2].wheelScrollPage = 1;
    ASSERT_TRUE(WriteSection(BytesOf(*image)));
    ASSERT_TRUE(host->Post(WM_HOST_RELOAD));

    const struct {
        const char* name;
        int profileNumber;  // the event's argument
        PointerTexts after;
    } kCases[] = {
        {"profile index 1: factory values, as pushed", 2, kMarks},
        {"profile index 2: changed since the push", 3, {L"270", L"13", L"2", L"3", L"4", L"4294967295"}},
        {"profile index 0: the user's values, as pushed", 1, kMarks},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteTexts(kMarks));
        const std::size_t answered = customizer_->Count(WM_UI_PROFILE_CHANGED);
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, c.profileNumber));
        // The settings are applied before the customizer is told.
        ASSERT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_PROFILE_CHANGED) > answered; }, kMessageTimeoutMs));
        EXPECT_EQ(ReadTexts(), Texts(c.after));
    }
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
