// What "korvidctl hid" reports, on a fake device list: the same choice as the
// library, the opens it tried, and nothing sent to any device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collections.h"
#include "fake_hid_win.h"
#include "hid/collection_survey_win.h"

namespace korvid::hid::testing {
namespace {

constexpr UsbIds kMouse{0x25A7, 0xFA70};

// The mouse of the first probe: the command reports in the keyboard
// collection Windows holds, the events in the vendor collection.
std::vector<FakeCollection> HeldCommandsMouse() {
    FakeCollection keyboard = MouseKeyboard();
    keyboard.featureReportLength = 133;
    keyboard.featureReportIds = kCommandReportIds;
    FakeCollection vendor = MouseVendor();
    vendor.featureReportLength = 0;
    vendor.featureReportIds.clear();
    return {OtherKeyboard(), MousePointer(), keyboard, vendor};
}

TEST(HidCollectionSurvey, ShowsWhatTheLibraryWouldUseAndSendsNothing) {
    const struct {
        const char* name;
        bool all;
        CollectionNames names;
        std::vector<std::wstring> listed;
        std::optional<std::wstring> frames;
        std::optional<std::wstring> events;
    } kCases[] = {
        {"the mouse",
         false,
         {},
         {kMousePointerPath, kMouseKeyboardPath, kMouseVendorPath},
         kMouseKeyboardPath,
         kMouseVendorPath},
        {"every device",
         true,
         {},
         {kOtherKeyboardPath, kMousePointerPath, kMouseKeyboardPath, kMouseVendorPath},
         kMouseKeyboardPath,
         kMouseVendorPath},
        {"named in [Device]",
         false,
         {L"MI_00", L"MI_00"},
         {kMousePointerPath, kMouseKeyboardPath, kMouseVendorPath},
         std::nullopt,
         std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        FakeHidSystem fake(HeldCommandsMouse());
        const CollectionSurvey survey = SurveyCollections(FakeHidSystem::Api(), kMouse, c.names, c.all);
        std::vector<std::wstring> listed;
        for (const SurveyedCollection& s : survey.collections) listed.push_back(s.declaration.path);
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(survey.frames ? std::optional(survey.collections[*survey.frames].declaration.path) : std::nullopt,
                  c.frames);
        EXPECT_EQ(survey.events ? std::optional(survey.collections[*survey.events].declaration.path) : std::nullopt,
                  c.events);
        if (c.frames) {
            EXPECT_TRUE(survey.framesWithoutAccess);
        }
        for (const SurveyedCollection& s : survey.collections) {
            const bool held = s.declaration.path == kMousePointerPath || s.declaration.path == kMouseKeyboardPath;
            EXPECT_EQ(s.readWriteError, held ? static_cast<DWORD>(ERROR_ACCESS_DENIED) : 0u) << "read/write open";
            EXPECT_EQ(s.zeroAccessError, 0u) << "open without access";
        }
        EXPECT_TRUE(fake.sentFeatureReports().empty());
        EXPECT_EQ(fake.openHandles(), 0);
        EXPECT_EQ(fake.heldPreparsedData(), 0);
        EXPECT_EQ(fake.faults(), std::vector<std::string>{});
    }
}

TEST(HidCollectionSurvey, SaysWhyACollectionIsSkipped) {
    FakeHidSystem fake(HeldCommandsMouse());
    const CollectionSurvey survey = SurveyCollections(FakeHidSystem::Api(), kMouse, {}, false);
    ASSERT_EQ(survey.collections.size(), 3u);
    EXPECT_EQ(survey.collections[0].frameVerdict, "frames: skipped, no feature reports");
    EXPECT_EQ(survey.collections[1].frameVerdict, "frames: candidate 1");
    EXPECT_EQ(survey.collections[1].eventVerdict, "events: skipped, input report IDs none lack 0C");
    EXPECT_EQ(survey.collections[2].eventVerdict, "events: candidate 1");
}

}  // namespace
}  // namespace korvid::hid::testing
