// The services of the start-up module: busy pointer, window search, loaded forms, errors,
// platform id and the single-instance mutex.
#include "core/mAPI.h"
#include "core/mMain.h"
#include "platform/mutex.h"
#include "platform/version.h"
#include "platform/window.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/Form.h"
#include "runtime/Interaction.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

void resetBusy() {
    while (BusyCount() > 0)
        SetBusy(false);
    while (BusyCount() < 0)
        SetBusy(true);
    Screen.MousePointer = vbDefault;
}

TEST(SetBusy, NestsAndHasNoFloor) {
    struct Step {
        bool busy;
        int pointer;
        int count;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{true, 11, 1}, {true, 11, 2}, {false, 11, 1}, {false, 0, 0}},
        // An unmatched release goes below zero; the next busy call shows no hourglass.
        {{false, 0, -1}, {true, 0, 0}, {true, 11, 1}, {false, 0, 0}},
    };
    for (const auto& sequence : sequences) {
        resetBusy();
        for (const Step& s : sequence) {
            SetBusy(s.busy);
            EXPECT_EQ(int(Screen.MousePointer), s.pointer);
            EXPECT_EQ(BusyCount(), s.count);
        }
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    resetBusy();
}

TEST(FindWindowByTitle, MatchesAnywhereIgnoringCaseAndNeverAnEmptyTitle) {
    auto untitled = std::make_unique<Form>(QStringLiteral("frmEmpty"));
    auto other = std::make_unique<Form>(QStringLiteral("frmOther"));
    other->setWindowTitle(QStringLiteral("Something else"));
    EXPECT_EQ(FindWindowByTitle(QStringLiteral("Tallix Time - ")), 0);
    auto lower = std::make_unique<Form>(QStringLiteral("frmLower"));
    lower->setWindowTitle(QStringLiteral("Options of tallix time - makkah"));
    auto later = std::make_unique<Form>(QStringLiteral("frmLater"));
    later->setWindowTitle(QStringLiteral("Tallix Time - Madinah"));
    EXPECT_EQ(FindWindowByTitle(QStringLiteral("Tallix Time - ")), lower->hWnd());
    EXPECT_EQ(FindWindowByTitle(QString()), other->hWnd()) << "an empty title never matches";
    EXPECT_EQ(gFindTitle, QString());
}

TEST(FindWindowByTitle, TheTitleCopyHandlesLongAndMultibyteTitles) {
    auto form = std::make_unique<Form>(QStringLiteral("frmLong"));
    const QString title = QStringLiteral("Tallix Time - ") + QString(300, QChar(0x0645));
    form->setWindowTitle(title);
    ASSERT_EQ(FindWindowByTitle(QStringLiteral("TALLIX TIME - ")), form->hWnd());
    char small[8];
    EXPECT_EQ(GetWindowTextA(form->hWnd(), small, sizeof small), 7);
    EXPECT_EQ(QByteArray(small), QByteArray("Tallix "));
}

TEST(IsFormLoaded, ComparesNamesInCapitals) {
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmSplash")));
    {
        Form splash(QStringLiteral("frmSplash"));
        EXPECT_TRUE(IsFormLoaded(QStringLiteral("FRMSPLASH")));
        EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmsplash")));
        EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmPreferences")));
    }
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmSplash")));
}

TEST(ReportError, ShowsTheDescriptionExceptForError401) {
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int buttons, const QString& title) {
        shown << QStringLiteral("%1|%2|%3").arg(prompt).arg(buttons).arg(title);
        return vbOK;
    });
    for (const long number : {53L, 401L}) {
        resetBusy();
        SetBusy(true);
        Err.Raise(number, QStringLiteral("Cannot open the file"));
        ReportError();
        EXPECT_EQ(Err.Number, 0);
        EXPECT_EQ(BusyCount(), 0);
    }
    runtime::SetMsgBoxAnswerer(nullptr);
    EXPECT_EQ(shown, QStringList{QStringLiteral("Cannot open the file|48|Tallix Time")});
}

TEST(InitPlatformId, TheNtFamilyOrOneWhenTheCallFails) {
    InitPlatformId();
    EXPECT_EQ(gPlatformId, 2);
    platform::InstallVersionHook([](OSVERSIONINFO*) -> BOOL { return 0; });
    InitPlatformId();
    EXPECT_EQ(gPlatformId, 1);
    platform::InstallVersionHook(nullptr);
}

TEST(cMutex, CreationIsTheTestForAnotherOwner) {
    const QString name = QStringLiteral("ABCDEF0123");
    cMutex m;
    EXPECT_FALSE(m.MutexExists(name));
    HANDLE first = m.CreateMutex(name, true);
    ASSERT_NE(first, 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(m.MutexExists(name));
    // A second creation (another start) learns at once that the mutex is taken.
    HANDLE second = m.CreateMutex(name, true);
    ASSERT_NE(second, 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    m.CloseMutex(second);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(m.MutexExists(name)) << "closing the other handle keeps the owner's mutex";
    m.ReleaseAndCloseMutex(first);
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(m.MutexExists(name));
    HANDLE none = 0;
    m.ReleaseAndCloseMutex(none); // nothing to do, nothing breaks
    EXPECT_EQ(none, 0);
}

} // namespace

#include "core/audio.h"
#include "fakes/fake_sound.h"

namespace {

// The start-up sound: slot 6 for types 1..3, the recitation of slot 5 for type 4, else none.
TEST(StartupSound, TheAudioTypeOfTheStartupSlotDecides) {
    FakeSound sound;
    gMuteAll = 0;
    gSelectedSound[5] = 3;
    gSelectedSound[6] = 0;
    gCustomSound[6] = QStringLiteral("/nonexistent/start.wav");
    const struct {
        int type;
        QString expected;
    } cases[] = {
        {0, QString()},
        {1, BuiltInSoundName(6, 0)},
        {2, QStringLiteral("/nonexistent/start.wav")},
        {4, RecitationResourceName(3)},
        {5, QString()},
    };
    for (const auto& c : cases) {
        sound.clear();
        gAudioType[6] = std::int16_t(c.type);
        PlayStartupSound();
        QStringList played;
        for (const auto& call : sound.calls())
            if (!call.name.isEmpty())
                played << call.name;
        if (c.expected.isEmpty())
            EXPECT_TRUE(played.isEmpty()) << c.type;
        else
            EXPECT_EQ(played.value(0), c.expected) << c.type;
    }
}

} // namespace
