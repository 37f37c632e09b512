// FerroxOSD.exe: the on-screen display. The host starts it at every start-up
// whether it runs or not; a second instance finds the single-instance mutex
// taken and ends with 0 at once. Its settings are in config.ini beside it.
#include <windows.h>

#include <memory>

#include "base/framework_win.h"
#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"
#include "osd/osd_wnd_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) >= path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    return ToWide(DirectoryOf(ToU16(path)));
}

class COsdApp : public CWinApp {
public:
    bool InitInstance() override {
        CreatedObject instance = CreateNamedMutex(kOsdInstanceMutexName);
        if (instance.alreadyExisted || !instance.handle) {
            quitCode_ = instance.alreadyExisted ? 0 : 1;
            return false;
        }
        instanceMutex_ = std::move(instance.handle);
        window_ = std::make_unique<COsdWnd>(OwnFolder());
        m_pMainWnd = window_.get();
        if (!window_->Create()) {
            quitCode_ = 1;
            return false;
        }
        return true;
    }

private:
    UniqueHandle instanceMutex_;
    std::unique_ptr<COsdWnd> window_;
};

COsdApp theApp;

}  // namespace
}  // namespace korvid

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    return korvid::AfxGetApp()->Run(instance, commandLine);
}
