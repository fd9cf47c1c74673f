#pragma once
// The system parameters as a test tells them: screen-saver service, font, caret and dpi.
// Constructing one installs it; destroying it puts the desktop's answers back.
#include "platform/sysparams.h"

class FakeSystem : public platform::SystemBackend {
public:
    FakeSystem() { platform::InstallSystemBackend(this); }
    ~FakeSystem() override { platform::InstallSystemBackend(nullptr); }
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    platform::ScreenSaverService saver = platform::ScreenSaverService::Present;
    bool saverStarts = true;
    int saverStartCalls = 0;
    QFont font = QFont(QStringLiteral("DejaVu Sans"), 9);
    int flashTime = 1000;
    int dpi = 96;

    platform::ScreenSaverService screenSaver() override { return saver; }
    void activateScreenSaver(platform::SystemAnswer answer) override {
        ++saverStartCalls;
        answer(saverStarts && saver == platform::ScreenSaverService::Present, QString());
    }
    int lockCalls = 0;
    bool locks = true;
    void lockSession(platform::SystemAnswer answer) override {
        ++lockCalls;
        answer(locks, QString());
    }
    QFont systemFont() override { return font; }
    int cursorFlashTime() override { return flashTime; }
    int logicalDpiY() override { return dpi; }
};
