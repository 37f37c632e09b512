// The simulated driver library on its own: loaded from a staged install
// folder like the host loads it, called through GetProcAddress.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e_harness_win.h"
#include "hiddriver.h"
#include "protocol/korvid_protocol.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// A bound, far beyond a thread's start.
constexpr DWORD kStartedBoundMs = 10000;

const wchar_t* const kSimVariables[] = {L"KORVID_SIM_LOG", L"KORVID_SIM_OPEN", L"KORVID_SIM_SETFEATURE",
                                        L"KORVID_SIM_FAIL_EVERY", L"KORVID_SIM_DELAY_MS"};

void SetVariable(const wchar_t* name, const wchar_t* value) { ASSERT_TRUE(SetEnvironmentVariableW(name, value)); }

void ClearSimVariables() {
    for (const wchar_t* name : kSimVariables) (void)SetEnvironmentVariableW(name, nullptr);  // may not be set
}

class Library {
public:
    explicit Library(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}

    bool Loaded() const { return static_cast<bool>(module_); }
    bool Has(const char* name) const { return GetProcAddress(module_.get(), name) != nullptr; }
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), name)));
    }

private:
    UniqueModule module_;
};

// The seven entry points of a loaded library; absent ones are null.
struct Entries {
    explicit Entries(const Library& library)
        : setVidPid(library.Get<SetVidPidFn>("Set_VIDPID")),
          openDevMonitor(library.Get<OpenDevMonitorFn>("Open_DevMonitor")),
          closeDevMonitor(library.Get<CloseDevMonitorFn>("Close_DevMonitor")),
          openFeatureDevice(library.Get<OpenFeatureDeviceFn>("Open_FeatureDevice")),
          closeFeatureDevice(library.Get<CloseFeatureDeviceFn>("Close_FeatureDevice")),
          setFeature(library.Get<SetFeatureFn>("SetFeature")),
          getFeature(library.Get<GetFeatureFn>("GetFeature")) {}
    SetVidPidFn setVidPid;
    OpenDevMonitorFn openDevMonitor;
    CloseDevMonitorFn closeDevMonitor;
    OpenFeatureDeviceFn openFeatureDevice;
    CloseFeatureDeviceFn closeFeatureDevice;
    SetFeatureFn setFeature;
    GetFeatureFn getFeature;
};

class SimDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSimVariables();
        folder_ = InstallFolderForCurrentTest();
    }
    void TearDown() override { ClearSimVariables(); }

    // Stages the build as hiddriver.dll and loads it from there; every load
    // starts with fresh call counters.
    std::unique_ptr<Library> Load(Driver driver = Driver::kSim) {
        EXPECT_TRUE(folder_.StageDriver(driver));
        auto library = std::make_unique<Library>(folder_.InstallDir() + kDriverLibraryName);
        EXPECT_TRUE(library->Loaded()) << "LoadLibraryW failed with error " << GetLastError();
        return library;
    }

    InstallFolder folder_;
};

TEST_F(SimDriverTest, LogsEveryCallWithItsArguments) {
    SetVariable(L"KORVID_SIM_LOG", folder_.LogPath().c_str());
    auto library = Load();
    ASSERT_TRUE(library->Loaded());
    const Entries sim(*library);

    // A window handle above 2^31 shows that it is logged unsigned and whole.
    const HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x80001234});
    const unsigned char frame[] = {0x04, 0x00, 0xAB, 0x7F, 0xFF};
    unsigned char buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(sim.setVidPid(0x25A7, 0xFA70), 1);
    EXPECT_EQ(sim.openDevMonitor(window, WM_DEVICE_EVENT, WM_DEVICE_CONNECTION), 1);
    EXPECT_EQ(sim.openFeatureDevice(), 1);
    EXPECT_EQ(sim.setFeature(frame, 5), 1);
    EXPECT_EQ(sim.getFeature(buffer, 8), 0);
    EXPECT_EQ(sim.closeDevMonitor(), 1);
    EXPECT_EQ(sim.closeFeatureDevice(), 1);

    const auto log = ReadDriverLog(folder_.LogPath());
    EXPECT_THAT(CallTexts(log), ElementsAre("Set_VIDPID 0x25A7 0xFA70 -> 1",
                                            "Open_DevMonitor 2147488308 " + std::to_string(WM_DEVICE_EVENT) + " " +
                                                std::to_string(WM_DEVICE_CONNECTION) + " -> 1",
                                            "Open_FeatureDevice -> 1", "SetFeature 5 04 00 AB 7F FF -> 1",
                                            "GetFeature 8 -> 0", "Close_DevMonitor -> 1", "Close_FeatureDevice -> 1"));
    for (std::size_t i = 1; i < log.size(); ++i) EXPECT_LE(log[i - 1].ms, log[i].ms) << log[i].line;
    EXPECT_GT(log.front().ms, 0u);
    EXPECT_THAT(buffer, ElementsAre(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST_F(SimDriverTest, ResultsFollowTheEnvironment) {
    const struct {
        const char* name;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> variables;
        bool setFeature;  // false: Open_FeatureDevice
        std::vector<int> results;
    } kCases[] = {
        {"Open_FeatureDevice succeeds by default", {}, false, {1, 1, 1}},
        {"Open_FeatureDevice list, the last repeats", {{L"KORVID_SIM_OPEN", L"0,1"}}, false, {0, 1, 1, 1}},
        {"Open_FeatureDevice single value", {{L"KORVID_SIM_OPEN", L"0"}}, false, {0, 0, 0}},
        {"Open_FeatureDevice values pass through", {{L"KORVID_SIM_OPEN", L"7,-1"}}, false, {7, -1, -1}},
        {"Open_FeatureDevice ignores FAIL_EVERY", {{L"KORVID_SIM_FAIL_EVERY", L"1"}}, false, {1, 1}},
        {"SetFeature succeeds by default", {}, true, {1, 1, 1}},
        {"SetFeature list, the last repeats", {{L"KORVID_SIM_SETFEATURE", L"1,0,0,1"}}, true, {1, 0, 0, 1, 1}},
        {"SetFeature every third fails", {{L"KORVID_SIM_FAIL_EVERY", L"3"}}, true, {1, 1, 0, 1, 1, 0, 1}},
        {"SetFeature FAIL_EVERY on top of a list",
         {{L"KORVID_SIM_SETFEATURE", L"0,1"}, {L"KORVID_SIM_FAIL_EVERY", L"2"}},
         true,
         {0, 0, 1, 0, 1}},
        {"SetFeature ignores KORVID_SIM_OPEN", {{L"KORVID_SIM_OPEN", L"0"}}, true, {1, 1}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ClearSimVariables();
        const std::wstring log = folder_.LogPath((std::to_wstring(&c - kCases) + L".log").c_str());
        SetVariable(L"KORVID_SIM_LOG", log.c_str());
        for (const auto& [name, value] : c.variables) SetVariable(name, value);
        auto library = Load();
        ASSERT_TRUE(library->Loaded());
        const Entries sim(*library);
        const unsigned char frame[] = {0x05, 0x01};
        std::vector<int> results;
        for (std::size_t i = 0; i < c.results.size(); ++i)
            results.push_back(c.setFeature ? sim.setFeature(frame, 2) : sim.openFeatureDevice());
        EXPECT_EQ(results, c.results);
        std::vector<std::string> logged;
        for (const DriverCall& call : ReadDriverLog(log)) logged.push_back(call.result);
        std::vector<std::string> expected;
        for (int r : c.results) expected.push_back(std::to_string(r));
        EXPECT_EQ(logged, expected);
    }
}

TEST_F(SimDriverTest, VariablesAreReadAtEachCall) {
    const std::wstring first = folder_.LogPath(L"first.log");
    const std::wstring second = folder_.LogPath(L"second.log");
    SetVariable(L"KORVID_SIM_LOG", first.c_str());
    auto library = Load();
    ASSERT_TRUE(library->Loaded());
    const Entries sim(*library);

    EXPECT_EQ(sim.openFeatureDevice(), 1);
    SetVariable(L"KORVID_SIM_OPEN", L"0");
    EXPECT_EQ(sim.openFeatureDevice(), 0);
    SetVariable(L"KORVID_SIM_LOG", second.c_str());
    EXPECT_EQ(sim.closeFeatureDevice(), 1);
    SetVariable(L"KORVID_SIM_LOG", nullptr);  // no log: the call still works
    EXPECT_EQ(sim.closeDevMonitor(), 1);

    EXPECT_THAT(CallTexts(ReadDriverLog(first)), ElementsAre("Open_FeatureDevice -> 1", "Open_FeatureDevice -> 0"));
    EXPECT_THAT(CallTexts(ReadDriverLog(second)), ElementsAre("Close_FeatureDevice -> 1"));
}

TEST_F(SimDriverTest, SlowSetFeatureDoesNotHoldUpTheOtherEntryPoints) {
    SetVariable(L"KORVID_SIM_LOG", folder_.LogPath().c_str());
    SetVariable(L"KORVID_SIM_DELAY_MS", L"3000");
    auto library = Load();
    ASSERT_TRUE(library->Loaded());
    const Entries sim(*library);

    const UniqueHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(started);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        const unsigned char frame[] = {0x0A, 0x02};
        (void)SetEvent(started.get());
        EXPECT_EQ(sim.setFeature(frame, 2), 1);
        returned = true;
    });
    EXPECT_EQ(WaitForSingleObject(started.get(), kStartedBoundMs), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(sim.openFeatureDevice(), 1);
    EXPECT_EQ(sim.closeFeatureDevice(), 1);
    EXPECT_FALSE(returned) << "SetFeature returned before the delay was over";
    worker.join();

    // The window thread's calls are logged as they return; SetFeature's line
    // follows when it ends.
    EXPECT_THAT(EntryPoints(ReadDriverLog(folder_.LogPath())),
                ElementsAre("Open_FeatureDevice", "Close_FeatureDevice", "SetFeature"));
}

TEST_F(SimDriverTest, LinesStayWholeWhenThreadsCallAtOnce) {
    SetVariable(L"KORVID_SIM_LOG", folder_.LogPath().c_str());
    auto library = Load();
    ASSERT_TRUE(library->Loaded());
    const Entries sim(*library);

    constexpr int kCallsPerThread = 100;
    constexpr int kFrameLength = 64;
    auto frameOf = [](int thread) {
        std::vector<unsigned char> frame(kFrameLength);
        for (int i = 0; i < kFrameLength; ++i)
            frame[static_cast<std::size_t>(i)] = static_cast<unsigned char>(thread * 0x40 + i);
        return frame;
    };
    auto hexOf = [](const std::vector<unsigned char>& frame) {
        std::string text = std::to_string(frame.size());
        char byte[4];
        for (unsigned char b : frame) {
            (void)std::snprintf(byte, sizeof byte, " %02X", b);
            text += byte;
        }
        return text;
    };
    std::vector<std::thread> senders;
    for (int t = 1; t <= 2; ++t) {
        senders.emplace_back([&, t] {
            const auto frame = frameOf(t);
            for (int i = 0; i < kCallsPerThread; ++i) (void)sim.setFeature(frame.data(), kFrameLength);
        });
    }
    for (int i = 0; i < kCallsPerThread; ++i) (void)sim.openFeatureDevice();
    for (std::thread& sender : senders) sender.join();

    const std::set<std::string> frames = {hexOf(frameOf(1)), hexOf(frameOf(2))};
    const auto log = ReadDriverLog(folder_.LogPath());
    ASSERT_EQ(log.size(), 3u * kCallsPerThread);
    int setFeatureLines = 0;
    for (const DriverCall& call : log) {
        ASSERT_TRUE(call.parsed) << call.line;
        if (call.entryPoint == "SetFeature") {
            ++setFeatureLines;
            EXPECT_EQ(frames.count(call.args), 1u) << call.line;
        } else {
            EXPECT_EQ(call.Call(), "Open_FeatureDevice -> 1");
        }
    }
    EXPECT_EQ(setFeatureLines, 2 * kCallsPerThread);
}

TEST_F(SimDriverTest, ReducedBuildsLackTheirEntryPoints) {
    const struct {
        const char* name;
        Driver driver;
        std::set<std::string> missing;
    } kCases[] = {
        {"hiddriver.dll", Driver::kSim, {}},
        {"hiddriver_nofeature.dll", Driver::kNoFeature, {"Open_FeatureDevice", "SetFeature"}},
        {"hiddriver_noset.dll", Driver::kNoSet, {"SetFeature"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto library = Load(c.driver);
        ASSERT_TRUE(library->Loaded());
        for (const char* name : kHidDriverEntryPoints)
            EXPECT_EQ(library->Has(name), c.missing.count(name) == 0) << name;
    }
}

}  // namespace
}  // namespace korvid::e2e
