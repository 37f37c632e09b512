// The application object: decides whether this process becomes the host
// (first instance in the logon) or is a second start, which at most brings
// up the customizer and ends.
#pragma once

#include <memory>

#include "app/korvid_wnd_win.h"
#include "base/framework_win.h"
#include "base/unique_resource_win.h"

namespace korvid {

class CKorvidApp : public CWinApp {
public:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    UniqueHandle singleInstanceMutex_;
    std::unique_ptr<CKorvidWnd> hostWindow_;
    bool startupFailed_ = false;
};

}  // namespace korvid
