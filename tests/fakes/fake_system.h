#pragma once
// The system parameters as a test tells them: screen-saver service, font, caret and dpi.
// Constructing one installs it; destroying it puts the desktop's answers back.
#include "platform/sysparams.h"

#include <QList>
#include <functional>

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
    // With holdAnswers the requests' answers wait in held until the test gives them.
    bool holdAnswers = false;
    QList<std::function<void()>> held;
    void activateScreenSaver(platform::SystemAnswer answer) override {
        ++saverStartCalls;
        give([answer, ok = saverStarts && saver == platform::ScreenSaverService::Present] {
            answer(ok, QString());
        });
    }
    int lockCalls = 0;
    bool locks = true;
    void lockSession(platform::SystemAnswer answer) override {
        ++lockCalls;
        give([answer, ok = locks] { answer(ok, QString()); });
    }
    QFont systemFont() override { return font; }
    int cursorFlashTime() override { return flashTime; }
    int logicalDpiY() override { return dpi; }

private:
    void give(std::function<void()> answer) {
        if (holdAnswers)
            held.append(std::move(answer));
        else
            answer();
    }
};
