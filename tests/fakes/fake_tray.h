#pragma once
// A tray for tests: records every Shell_NotifyIconA call with a copy of its record and answers
// as the shell would (adding an icon that exists, or changing one that does not, fails).
// Constructing one installs it; destroying it puts the desktop's tray back.
#include "platform/tray.h"

#include <QPair>
#include <QSet>
#include <QVector>

class FakeTray : public platform::TrayBackend {
public:
    struct Call {
        DWORD message = 0;
        NOTIFYICONDATA data;
        BOOL result = FALSE_;
    };

    FakeTray();
    ~FakeTray() override;
    FakeTray(const FakeTray&) = delete;
    FakeTray& operator=(const FakeTray&) = delete;

    BOOL notifyIcon(DWORD message, const NOTIFYICONDATA& data) override;

    const QVector<Call>& calls() const { return calls_; }
    void clear() { calls_.clear(); }
    bool hasIcon(HWND hWnd, UINT uID) const { return icons_.contains(qMakePair(hWnd, uID)); }

    // When false, every call fails as it does without a shell.
    bool shellRunning = true;

private:
    QVector<Call> calls_;
    QSet<QPair<HWND, UINT>> icons_;
};
