// korvidctl.exe against the real Korvid.exe with the simulated mouse (what
// set and import make the mouse receive, what they leave in the section and
// Config.data, what a refused set leaves alone, what event makes the host
// do), and against a stand-in host, for the answers only a host can give at
// a chosen moment: its window closing the customizer, its window going away.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "config/share_data.h"
#include "host_test_fixture_win.h"
#include "protocol/korvid_protocol.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

inline constexpr DWORD kCtlTimeoutMs = 60000;

std::wstring BuiltCtl() {
#ifdef KORVIDCTL_EXE_PATH
    return WinePath(KORVIDCTL_EXE_PATH);
#else
    return {};
#endif
}

struct CtlRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
    std::string failure;  // why the run itself went wrong; empty normally
};

// Reads a pipe to its end on a thread of its own.
class PipeReader {
public:
    explicit PipeReader(UniqueHandle pipe)
        : thread_([this, pipe = std::move(pipe)] {
              char chunk[4096];
              DWORD got = 0;
              while (ReadFile(pipe.get(), chunk, sizeof chunk, &got, nullptr) && got != 0) text_.append(chunk, got);
          }) {}
    std::string Finish() {
        thread_.join();
        return text_;
    }

private:
    std::string text_;
    std::thread thread_;
};

// A pipe whose write end korvidctl inherits.
struct OutputPipe {
    UniqueHandle read;
    UniqueHandle write;
};
std::optional<OutputPipe> MakeOutputPipe() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return std::nullopt;
    OutputPipe pipe{UniqueHandle(read), UniqueHandle(write)};
    (void)SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

// Runs korvidctl.exe with these arguments (each quoted) and collects what it
// wrote and its exit code. A run that does not end in time is terminated.
// No GoogleTest assertion here: this also runs on a thread of the test.
CtlRun RunCtlOnAnyThread(const std::vector<std::wstring>& args) {
    CtlRun run;
    std::wstring arguments;
    for (const std::wstring& arg : args) arguments += (arguments.empty() ? L"\"" : L" \"") + arg + L"\"";

    std::optional<OutputPipe> out = MakeOutputPipe();
    std::optional<OutputPipe> err = MakeOutputPipe();
    if (!out || !err) {
        run.failure = "CreatePipe failed";
        return run;
    }
    auto ctl = ChildProcess::Start(BuiltCtl(), {.arguments = arguments,
                                                .environment = {},
                                                .standardOutput = out->write.get(),
                                                .standardError = err->write.get(),
                                                .inCallerFolder = true});
    // Only korvidctl's copies of the write ends stay: the readers see the end.
    out->write.reset();
    err->write.reset();
    PipeReader outReader(std::move(out->read));
    PipeReader errReader(std::move(err->read));
    if (ctl == nullptr) {
        run.failure = "korvidctl.exe could not be started";
    } else if (const std::optional<DWORD> code = ctl->WaitForExit(kCtlTimeoutMs)) {
        run.exitCode = *code;
    } else {
        run.failure = "korvidctl did not end in time; terminated";
        ctl->Terminate();
        run.exitCode = ctl->WaitForExit(0).value_or(run.exitCode);
    }
    run.out = outReader.Finish();
    run.err = errReader.Finish();
    return run;
}

CtlRun RunCtl(const std::vector<std::wstring>& args) {
    CtlRun run = RunCtlOnAnyThread(args);
    if (!run.failure.empty()) ADD_FAILURE() << run.failure;
    return run;
}

void SetText(char16_t* text, std::size_t chars, const char16_t* value) {
    std::memset(text, 0, chars * 2);
    std::memcpy(text, value, std::char_traits<char16_t>::length(value) * 2);
}

void ClearChangeFlags(ShareData& image) {
    std::memset(&image.activeProfileChanged, 0, kImageSize - kChangeFlagsOffset);
}

// The file names in the Config folder of the data folder.
std::vector<std::wstring> ConfigFolderFiles() {
    std::vector<std::wstring> names;
    const std::wstring folder = HostDataFolder() + L"\\" + ToWide(kConfigFolderName) + L"\\";
    WIN32_FIND_DATAW found;
    const UniqueFindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
    if (!search) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

class KorvidctlTest : public HostTest {
protected:
    void SetUp() override {
        if (BuiltCtl().empty()) GTEST_SKIP() << "korvidctl.exe is not part of this build yet";
        HostTest::SetUp();
        // korvidctl refuses to run next to a customizer; it is the customizer.
        customizer_.reset();
    }

    // The host with the simulated mouse, once its start-up push has ended.
    std::unique_ptr<ChildProcess> StartHostAfterFirstPush() {
        auto host = StartHostAndWait();
        if (host == nullptr) return nullptr;
        if (!PollUntil([&] { return !PushedFrames().empty() && PushedFrames().back().rfind("8 0B ", 0) == 0; },
                       kStartTimeoutMs)) {
            ADD_FAILURE() << "the start-up push did not end";
            return nullptr;
        }
        framesBefore_ = PushedFrames().size();
        return host;
    }

    // The arguments of every SetFeature call so far: "<length> <bytes>".
    std::vector<std::string> PushedFrames() const {
        std::vector<std::string> frames;
        for (const DriverCall& call : CallsOf(DriverLog(), "SetFeature")) frames.push_back(call.args);
        return frames;
    }

    // The frames since the start-up push (or since the last call).
    std::vector<std::string> NewFrames() {
        const std::vector<std::string> all = PushedFrames();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(framesBefore_), all.end());
        framesBefore_ = all.size();
        return fresh;
    }

    std::size_t framesBefore_ = 0;
};

TEST_F(KorvidctlTest, SetPushesTheChangedFieldsAndReplacesConfigData) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    const auto before = ReadSection();
    ASSERT_TRUE(before.has_value());

    const CtlRun run = RunCtl({L"set", L"profiles[1].dpiX[2]=30", L"profiles[3].lightColorA=#00FF00",
                               L"profiles[2].programPath=C:\\Games\\game.exe", L"activeProfile=2"});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("applied"), std::string::npos) << run.out;

    // Exactly what changed: the active profile, profile 1's DPI stages and
    // profile 3's lighting; CMD_END with profile 2's option.
    EXPECT_EQ(NewFrames(),
              (std::vector<std::string>{
                  "3 04 00 FF",
                  "8 05 04 02 05 00 00 00 00",
                  "54 06 36 01 0A 0A 1F 00 00 12 1B 45 4A 91 15 17 19 12 1B 37 4A 91 15 17 19 01 00 00 FF FF 00 00 00 "
                  "FF 00 FF 00 FF 00 FF FF FF FF 00 00 FF FF 00 80 FF 03 08 00 02 00",
                  "45 08 2D 03 01 02 02 0A 02 00 FF 00 FF 00 00 FF 00 FF 00 FF 00 00 00 FF FF FF 00 FF FF FF 00 FF FF "
                  "FF 80 80 80 00 01 02 02 04 02 00 00 FF",
                  "8 0B 08 02 00 00 00 00 00",
              }));

    // The section and Config.data hold the same whole image: the one before,
    // with the four fields and their change flags, and no other flag.
    auto expected = ImageOf(*before);
    ClearChangeFlags(*expected);
    expected->activeProfile = 2;
    expected->profiles[1].dpiX[2] = 30;
    expected->profiles[3].lightColorA = 0x00FF00;
    SetText(expected->profiles[2].programPath, kProgramPathChars, u"C:\\Games\\game.exe");
    expected->activeProfileChanged = 1;
    expected->dpiChanged[1] = 1;
    expected->lightingChanged[3] = 1;
    EXPECT_EQ(SectionDifference(BytesOf(*expected)), "");
    EXPECT_EQ(ConfigDataDifference(BytesOf(*expected)), "");
    EXPECT_EQ(ConfigFolderFiles(), std::vector<std::wstring>{L"Config.data"}) << "a temporary file was left behind";

    // frames names what the mouse received.
    const CtlRun frames = RunCtl({L"frames", LogPath()});
    ASSERT_EQ(frames.exitCode, 0u) << frames.err;
    EXPECT_NE(frames.out.find(" CMD_DPI profile 1: stages 1-5 on, current 2, X 18 27 69 74 145 21 23 25,"),
              std::string::npos)
        << frames.out;
    EXPECT_NE(frames.out.find(" CMD_LIGHTING profile 3: zone A mode 2, lightParamA1 2, lightParamA2 10, "
                              "lightColorA #00FF00,"),
              std::string::npos);

    // An edited export goes back through import: only the edited field is
    // flagged, the earlier set's flags are not sent again.
    const CtlRun exported = RunCtl({L"export"});
    ASSERT_EQ(exported.exitCode, 0u) << exported.err;
    std::string text = exported.out;
    const std::string line = "\nprofiles[0].lightColorB=#FF0000\n";
    const std::size_t at = text.find(line);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, line.size(), "\nprofiles[0].lightColorB=#123456\n");
    const std::wstring file = install_.TestDir() + L"export.txt";
    ASSERT_TRUE(WriteFileBytes(file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    const CtlRun imported = RunCtl({L"import", file});
    ASSERT_EQ(imported.exitCode, 0u) << imported.err;
    EXPECT_EQ(NewFrames(),
              (std::vector<std::string>{
                  "3 04 00 FF",
                  "45 08 2D 00 01 02 02 0A 02 00 00 FF FF 00 00 FF 00 FF 00 FF 00 00 00 FF FF FF 00 FF FF FF 00 FF FF "
                  "FF 80 80 80 00 01 02 02 04 02 56 34 12",
                  "8 0B 08 02 00 00 00 00 00",
              }));
    const auto section = ReadSection();
    ASSERT_TRUE(section.has_value());
    EXPECT_EQ(ConfigDataDifference(*section), "");

    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

TEST_F(KorvidctlTest, RefusedSetChangesNeitherTheSectionNorTheFile) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    const struct {
        const char* name;
        std::vector<std::wstring> args;
        bool customizerOpen;
        const char* message;
    } kCases[] = {
        {"unknown name", {L"set", L"profiles[1].dpiX[2]=30", L"profiles[1].dpiZ[2]=3"}, false, "is not a field name"},
        {"bad index", {L"set", L"profiles[5].dpiX[2]=30"}, false, "has index 5 where profiles takes 0 to 4"},
        {"value out of range",
         {L"set", L"activeProfile=1", L"profiles[1].dpiX[3]=999"},
         false,
         "\"999\" is out of range (1 to 125)"},
        {"text too long",
         {L"set", L"profiles[0].buttons[0].macroName=abcdefghijklmnopqrstuvwxyz"},
         false,
         "text of 26 characters is too long (at most 23)"},
        {"nothing to set", {L"set"}, false, "set needs at least one NAME=VALUE"},
        {"customizer open", {L"set", L"activeProfile=1"}, true, "close it first"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto section = ReadSection();
        const auto file = ReadFileBytes(ConfigDataPath());
        ASSERT_TRUE(section.has_value() && file.has_value());
        const auto fileTime = LastWriteTime(ConfigDataPath());
        if (c.customizerOpen) ReopenCustomizer();

        const CtlRun run = RunCtl(c.args);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing was changed"), std::string::npos) << run.err;

        EXPECT_EQ(SectionDifference(*section), "");
        EXPECT_EQ(ConfigDataDifference(*file), "");
        EXPECT_EQ(LastWriteTime(ConfigDataPath()), fileTime);
        EXPECT_TRUE(NewFrames().empty());
        if (c.customizerOpen) customizer_.reset();
    }
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

TEST_F(KorvidctlTest, EventPostsWhatTheMouseWould) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    ReopenCustomizer();  // event does not mind a customizer; here it records the host's answers
    const struct {
        const char* name;
        std::vector<std::wstring> args;
        UINT answer;  // what the host then tells the customizer
    } kCases[] = {
        {"profile button", {L"event", L"profile", L"3"}, WM_UI_PROFILE_CHANGED},
        {"DPI button", {L"event", L"stage", L"4"}, WM_UI_STAGE_CHANGED},
        {"unplugged", {L"event", L"remove"}, WM_CLOSE},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const CtlRun run = RunCtl(c.args);
        ASSERT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_TRUE(customizer_->WaitFor(c.answer, kMessageTimeoutMs).has_value());
    }
    const auto section = ReadSection();
    ASSERT_TRUE(section.has_value());
    const auto image = ImageOf(*section);
    EXPECT_EQ(image->activeProfile, 2);
    EXPECT_EQ(image->profiles[2].currentStage, 3);

    const CtlRun refused = RunCtl({L"event", L"profile", L"x"});
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// listen stands in for the customizer's window; stop ends the host as log-off
// does. Together they let a script follow the whole conversation.
TEST_F(KorvidctlTest, ListenHearsTheHostAndStopEndsIt) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    CtlRun heard;
    {
        std::jthread listener([&] { heard = RunCtlOnAnyThread({L"listen", L"20000", L"--count", L"2"}); });
        ASSERT_TRUE(
            PollUntil([] { return FindWindowW(nullptr, kCustomizerWindowTitle) != nullptr; }, kMessageTimeoutMs))
            << "listen opened no window";
        // A second listener would split the host's messages: refused.
        const CtlRun second = RunCtl({L"listen", L"1000"});
        EXPECT_EQ(second.exitCode, 1u) << second.err;
        EXPECT_EQ(RunCtl({L"event", L"stage", L"2"}).exitCode, 0u);
        EXPECT_EQ(RunCtl({L"event", L"profile", L"4"}).exitCode, 0u);
    }
    EXPECT_EQ(heard.exitCode, 0u) << heard.out << heard.err;
    EXPECT_NE(heard.out.find("WM_UI_STAGE_CHANGED"), std::string::npos) << heard.out;
    EXPECT_NE(heard.out.find("WM_UI_PROFILE_CHANGED"), std::string::npos) << heard.out;
    EXPECT_NE(heard.out.find("heard 2 message(s)"), std::string::npos) << heard.out;

    const CtlRun quiet = RunCtl({L"listen", L"300", L"--count", L"1"});
    EXPECT_EQ(quiet.exitCode, 3u) << "nothing was said, so the count was not reached";

    const CtlRun stop = RunCtl({L"stop"});
    EXPECT_EQ(stop.exitCode, 0u) << stop.out << stop.err;
    EXPECT_NE(stop.out.find("the host ended with exit code 0"), std::string::npos) << stop.out;
    EXPECT_EQ(host->WaitForExit(kExitTimeoutMs), kExitOk);
}

TEST_F(KorvidctlTest, WithoutAHostNamesWhatIsMissing) {
    const std::string window = "the host window \"" + Utf8(kHostWindowTitle) + "\"";
    const std::string mutex = "the section mutex \"" + Utf8(kSectionMutexName) + "\"";
    const std::string section = "the shared section \"" + Utf8(kSectionName) + "\"";
    const struct {
        std::vector<std::wstring> args;
        std::string missing;
    } kCases[] = {
        {{L"set", L"activeProfile=1"}, "missing " + window + ", " + mutex + ", " + section},
        {{L"show"}, "missing " + mutex + ", the shared section"},
        {{L"event", L"attach"}, "missing the host window"},
        {{L"stop"}, "missing the host window"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::PrintToString(c.args.front()));
        const CtlRun run = RunCtl(c.args);
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_NE(run.err.find(c.missing), std::string::npos) << run.err;
    }
    EXPECT_FALSE(FileExists(ConfigDataPath()));
}

// A stand-in host: its window, section and mutex, made by the test, so the
// test decides how the "host" answers korvidctl's WM_HOST_APPLY_ALL.
TEST_F(KorvidctlTest, AnswersOtherThanEnableApply) {
    enum class Then { kEnableApply, kCloseCustomizer, kHostWindowGoes };
    const struct {
        const char* name;
        Then then;
        DWORD exitCode;
        const char* message;
    } kCases[] = {
        {"WM_UI_ENABLE_APPLY", Then::kEnableApply, 0, "applied"},
        {"the customizer window closed", Then::kCloseCustomizer, 3, "the host closed the customizer window"},
        {"the host window gone", Then::kHostWindowGoes, 3, "the host window went away"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ClearHostDataFolder());
        const UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kSectionMutexName));
        const UniqueHandle mapping(
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kImageSize, kSectionName));
        ASSERT_TRUE(mutex && mapping);
        ASSERT_TRUE(WriteSection(FactoryImageBytes()));
        auto fakeHost = std::make_unique<RecorderWindow>(kHostWindowTitle);

        CtlRun run;
        // Joined at the end of the case, also when an assertion ends it early.
        std::jthread ctl([&] { run = RunCtlOnAnyThread({L"set", L"profiles[4].option07=7"}); });
        const auto apply = fakeHost->WaitFor(WM_HOST_APPLY_ALL, kMessageTimeoutMs);
        ASSERT_TRUE(apply.has_value());
        EXPECT_EQ(apply->wParam, 0u);
        // The change is in the section and the file before the host is asked.
        auto expected = ImageOf(FactoryImageBytes());
        expected->profiles[4].option07 = 7;
        expected->option07Changed[4] = 1;
        EXPECT_EQ(SectionDifference(BytesOf(*expected)), "");
        EXPECT_EQ(ConfigDataDifference(BytesOf(*expected)), "");

        HWND answerWindow = FindWindowOf(kCustomizerWindowTitle, 0);
        EXPECT_NE(answerWindow, nullptr);
        switch (c.then) {
            case Then::kEnableApply:
                EXPECT_TRUE(PostMessageW(answerWindow, WM_UI_ENABLE_APPLY, 0, 0));
                break;
            case Then::kCloseCustomizer:
                EXPECT_TRUE(PostMessageW(answerWindow, WM_CLOSE, 0, 0));
                break;
            case Then::kHostWindowGoes:
                fakeHost.reset();
                break;
        }
        ctl.join();
        EXPECT_EQ(run.failure, "");
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE((run.out + run.err).find(c.message), std::string::npos) << run.out << run.err;
        EXPECT_EQ(FindWindowOf(kCustomizerWindowTitle, 0), nullptr) << "korvidctl left its window behind";
    }
}

}  // namespace
}  // namespace korvid::e2e
