#include "fakes/fake_tray.h"

FakeTray::FakeTray() {
    platform::InstallTrayBackend(this);
}

FakeTray::~FakeTray() {
    if (&platform::CurrentTrayBackend() == this)
        platform::InstallTrayBackend(nullptr);
}

BOOL FakeTray::notifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    const auto key = qMakePair(data.hWnd, data.uID);
    BOOL result = FALSE_;
    if (shellRunning && data.cbSize >= kNotifyIconDataOldSize) {
        switch (message) {
        case NIM_ADD:
            result = icons_.contains(key) ? FALSE_ : TRUE_;
            icons_.insert(key);
            break;
        case NIM_MODIFY:
        case NIM_SETVERSION:
            result = icons_.contains(key) ? TRUE_ : FALSE_;
            break;
        case NIM_DELETE:
            result = icons_.remove(key) ? TRUE_ : FALSE_;
            break;
        default:
            break;
        }
    }
    calls_.append(Call{message, data, result});
    return result;
}
