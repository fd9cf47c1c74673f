// A request to the system asked again while it waits for its answer makes no second request,
// and its outcome is told once; asked after the answer, it is made anew.
#include "fakes/fake_system.h"
#include "fakes/wait_for.h"
#include "platform/sysparams.h"
#include "platform/tzlist.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The screen saver and the lock answer only when the test says.
class HeldSystem : public FakeSystem {
public:
    std::vector<platform::SystemAnswer> saver, lock;
    void activateScreenSaver(platform::SystemAnswer answer) override { saver.push_back(answer); }
    void lockSession(platform::SystemAnswer answer) override { lock.push_back(answer); }
};

TEST(RepeatedRequests, AskedAgainWhileWaitingMakeOneRequestAndOneAnswer) {
    HeldSystem system;
    std::vector<platform::SystemAnswer> zone;
    platform::InstallSetTimezoneHook(
        [&](const QByteArray&, platform::SystemAnswer answer) { zone.push_back(answer); });
    const struct {
        const char* what;
        std::function<void(platform::SystemAnswer)> ask;
        std::vector<platform::SystemAnswer>* made;
    } kinds[] = {
        {"screen saver", [](platform::SystemAnswer a) { platform::ActivateScreenSaver(a); },
         &system.saver},
        {"lock", [](platform::SystemAnswer a) { LockWorkStation(a); }, &system.lock},
        {"system zone",
         [](platform::SystemAnswer a) { platform::SetSystemTimeZone("Asia/Dubai", a); }, &zone},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.what);
        QStringList heard;
        const auto asker = [&](const QString& who) {
            return [&heard, who](bool ok, const QString& error) {
                heard << who + (ok ? " ok" : " refused: " + error);
            };
        };
        kind.ask(asker("first"));
        kind.ask({}); // a press whose outcome nobody waits for
        kind.ask(asker("second"));
        ASSERT_EQ(kind.made->size(), 1u) << "one request while it waits";
        kind.made->back()(false, QStringLiteral("no"));
        ASSERT_TRUE(WaitFor([&] { return !heard.isEmpty(); }, 10000));
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(heard, QStringList{QStringLiteral("second refused: no")})
            << "told once, to the newest asker";

        kind.ask(asker("after"));
        ASSERT_EQ(kind.made->size(), 2u) << "a new request once answered";
        kind.made->back()(true, QString());
        EXPECT_TRUE(WaitFor([&] { return heard.size() == 2; }, 10000));
        EXPECT_EQ(heard.value(1), QStringLiteral("after ok"));
    }
    // Another zone is another request.
    platform::SetSystemTimeZone("Asia/Dubai", {});
    platform::SetSystemTimeZone("Europe/London", {});
    EXPECT_EQ(zone.size(), 4u);
    platform::InstallSetTimezoneHook({});
}

} // namespace
