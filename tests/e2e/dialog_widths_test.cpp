// Every dialog of the real program lies wholly on the work area of a small screen, in every
// language and with a large font, with its buttons on it: Prayer Settings (both pages),
// Preferences (every page) and its sound-file dialog, a question, the update window and the
// About box with its version line and link. The windows are read from the window manager, the
// buttons and lines from the program's accessibility tree, as a screen reader sees them.
#include "accessible_tree.h"
#include "desktop_session.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

struct DialogCase {
    const char* screen;
    int fontDpi; // 0: the server's own
    const char* lang;
};

class DialogsOnTheScreen : public Desktop, public ::testing::WithParamInterface<DialogCase> {
protected:
    void SetUp() override {
        screenSize = QString::fromLatin1(GetParam().screen);
        Desktop::SetUp();
        if (HasFatalFailure())
            return;
        tree = startAccessibility();
        ASSERT_NE(tree, nullptr);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_TIME", "LC_NUMERIC"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(GetParam().lang));
        if (GetParam().fontDpi)
            env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(GetParam().fontDpi));
    }

    QString tag() const {
        return QStringLiteral("%1_%2%3").arg(
            QString::fromLatin1(GetParam().lang).section(u'.', 0, 0),
            QString::fromLatin1(GetParam().screen),
            GetParam().fontDpi ? QStringLiteral("_%1dpi").arg(GetParam().fontDpi) : QString());
    }


    // The window's frame lies on the work area, and so do the named controls, shown, within it.
    // The controls are looked for until they are all there (the tree is built as they show).
    void expectOnTheArea(const char* what, Wid w, const QString& accessibleTitle,
                         const QList<QRegularExpression>& names,
                         QList<AccessibleTree::Control>* seen = nullptr) {
        SCOPED_TRACE(what);
        const QRect area = xd->workArea();
        std::optional<QRect> frame;
        ASSERT_TRUE(WaitFor(
            [&] {
                frame = xd->frameGeometry(w);
                return frame.has_value();
            },
            kStep))
            << "no frame";
        EXPECT_TRUE(area.contains(*frame)) << text(*frame) << " is not within " << text(area);
        QList<AccessibleTree::Control> controls;
        QStringList missing;
        WaitFor(
            [&] {
                controls = tree->controls(program->processId(), accessibleTitle);
                missing.clear();
                for (const QRegularExpression& name : names)
                    if (std::none_of(controls.begin(), controls.end(), [&](const auto& c) {
                            return c.showing && name.match(c.name).hasMatch();
                        }))
                        missing << name.pattern();
                return missing.isEmpty();
            },
            kStep);
        EXPECT_TRUE(missing.isEmpty()) << "not shown: " << missing.join(u", ").toStdString();
        for (const QRegularExpression& name : names)
            for (const auto& c : controls)
                if (c.showing && name.match(c.name).hasMatch()) {
                    const QRect onScreen = device(c.onScreen);
                    EXPECT_TRUE(frame->contains(onScreen) && area.contains(onScreen))
                        << c.name.toStdString() << " at " << text(onScreen) << ", frame "
                        << text(*frame) << ", work area " << text(area);
                    break;
                }
        if (seen)
            *seen = controls;
    }

    void clickAt(const QRect& r) const {
        x({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(r.center().x()),
           QString::number(r.center().y()), QStringLiteral("click"), QStringLiteral("1")});
    }

    // The program's accessibility tree tells places in its own pixels, which a font of more
    // than 96 dpi makes larger than the screen's.
    QRect device(const QRect& r) const {
        const double scale = GetParam().fontDpi ? GetParam().fontDpi / 96.0 : 1.0;
        return QRect(QPoint(int(r.left() * scale), int(r.top() * scale)),
                     QSize(int(r.width() * scale), int(r.height() * scale)));
    }

    static std::string text(const QRect& r) {
        return QStringLiteral("%1x%2+%3+%4")
            .arg(r.width())
            .arg(r.height())
            .arg(r.x())
            .arg(r.y())
            .toStdString();
    }

    static QRegularExpression exactly(const char* name) {
        return QRegularExpression(QStringLiteral("^") + QString::fromUtf8(name) +
                                  QStringLiteral("$"));
    }

    std::unique_ptr<AccessibleTree> tree;
};

TEST_P(DialogsOnTheScreen, EveryDialogLiesOnTheWorkAreaWithItsButtons) {
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const bool shots = QString::fromLatin1(GetParam().screen) == QStringLiteral("800x600");
    const QList<QRegularExpression> okCancel{exactly("OK"), exactly("Cancel")};

    // Prayer Settings, both pages.
    activate(main);
    key(QStringLiteral("ctrl+s"));
    const Wid settings = waitForWindow(QStringLiteral("Prayer Settings$"));
    ASSERT_NE(settings, 0u) << "no Prayer Settings";
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page == 0 ? "Location" : "Calculation Method");
        expectOnTheArea("Prayer Settings", settings, QStringLiteral("Prayer Settings$"),
                        okCancel + QList{exactly("Restore Defaults")});
        if (shots)
            screenshot(QStringLiteral("dialog_widths_prayer_settings_%1_%2").arg(page).arg(tag()));
        key(QStringLiteral("ctrl+Tab"));
    }
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(WaitFor([&] { return !viewable(settings); }, kStep)) << "stays open";

    // Preferences, every page; from the first, the sound-file dialog of the first athan.
    activate(main);
    key(QStringLiteral("ctrl+p"));
    const Wid preferences = waitForWindow(QStringLiteral("Preferences$"));
    ASSERT_NE(preferences, 0u) << "no Preferences";
    QList<AccessibleTree::Control> audioPage;
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        expectOnTheArea("Preferences", preferences, QStringLiteral("Preferences$"), okCancel,
                        page == 0 ? &audioPage : nullptr);
        if (shots)
            screenshot(QStringLiteral("dialog_widths_preferences_%1_%2").arg(page).arg(tag()));
        key(QStringLiteral("ctrl+Tab"));
    }
    // Back on the first page: the first athan's third choice (a file of one's own), then "...".
    QList<AccessibleTree::Control> radios, browse;
    for (const auto& c : audioPage) {
        if (c.showing && c.role == QStringLiteral("radio button"))
            radios << c;
        if (c.showing && c.role == QStringLiteral("push button") && c.name == QStringLiteral("..."))
            browse << c;
    }
    ASSERT_GE(radios.size(), 3);
    ASSERT_FALSE(browse.isEmpty());
    clickAt(device(radios[2].onScreen));
    Pump(500);
    clickAt(device(browse.first().onScreen));
    const Wid soundFile = waitForWindow(QStringLiteral("Fajr"), {preferences, main});
    ASSERT_NE(soundFile, 0u) << "no sound-file dialog";
    expectOnTheArea("sound-file dialog", soundFile, QStringLiteral("Fajr"),
                    {QRegularExpression(QStringLiteral("^(Open|Choose)$")), exactly("Cancel")});
    if (shots)
        screenshot(QStringLiteral("dialog_widths_sound_file_%1").arg(tag()));
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(WaitFor([&] { return !viewable(soundFile); }, kStep));
    activate(preferences);
    key(QStringLiteral("Escape"));
    // Cancel on a changed page asks whether to leave it: Yes.
    EXPECT_TRUE(answerYesUntil(
        main, [&] { return !viewable(preferences); }, kStep * 2))
        << "Preferences stays open";

    // The exit question.
    activate(main);
    key(QStringLiteral("alt+f"));
    key(QStringLiteral("x"));
    const Wid question = waitForWindow(QStringLiteral("^Tallix Time$"), {main});
    ASSERT_NE(question, 0u) << "no question";
    expectOnTheArea("question", question, QStringLiteral("^Tallix Time$"),
                    {exactly("Yes"), exactly("No")});
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(WaitFor([&] { return !viewable(question); }, kStep));

    // The update window; cancelled at once.
    activate(main);
    key(QStringLiteral("alt+h"));
    key(QStringLiteral("u"));
    const Wid update = waitForWindow(QStringLiteral("^Checking for Update"));
    ASSERT_NE(update, 0u) << "no update window";
    expectOnTheArea("update window", update, QStringLiteral("^Checking for Update"),
                    {exactly("Cancel")});
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(answerYesUntil(
        main,
        [&] {
            return !viewable(update) &&
                   newWindows(QStringLiteral("^Tallix Time$"), {main}).isEmpty();
        },
        kStep * 2));

    // The About box, with its version line and the maker's site.
    const Wid about = openAboutBox(main, kStep);
    ASSERT_NE(about, 0u) << "no About box";
    // A window without a frame: its own geometry is all of it.
    const QRect area = xd->workArea();
    const QRect box = xd->geometry(about);
    EXPECT_TRUE(area.contains(box)) << "About " << text(box) << ", work area " << text(area);
    QList<AccessibleTree::Control> lines;
    WaitFor(
        [&] {
            lines = tree->controls(program->processId(), QStringLiteral(".*"));
            return std::count_if(lines.begin(), lines.end(), [](const auto& c) {
                       return c.showing && c.role == QStringLiteral("label") &&
                              c.name.startsWith(QStringLiteral("Tallix Time "));
                   }) >= 1;
        },
        kStep);
    int found = 0;
    for (const auto& c : lines)
        if (c.showing && c.role == QStringLiteral("label") &&
            (c.name.startsWith(QStringLiteral("Tallix Time ")) || c.name.contains(u'.'))) {
            ++found;
            const QRect onScreen = device(c.onScreen);
            EXPECT_TRUE(area.contains(onScreen))
                << c.name.toStdString() << " at " << text(onScreen) << ", work area " << text(area);
        }
    EXPECT_GE(found, 2) << "the version line and the link";
    if (shots)
        screenshot(QStringLiteral("dialog_widths_about_%1").arg(tag()));
    clickIn(about, 100, 100);
    EXPECT_TRUE(WaitFor([&] { return viewable(main); }, kStep));
    EXPECT_EQ(program->state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogsOnTheScreen,
    ::testing::Values(
        DialogCase{"800x600", 0, "en_US.UTF-8"}, DialogCase{"800x600", 0, "de_DE.UTF-8"},
        DialogCase{"800x600", 0, "ru_RU.UTF-8"}, DialogCase{"800x600", 0, "ar_EG.UTF-8"},
        DialogCase{"800x600", 0, "fa_IR.UTF-8"}, DialogCase{"800x600", 0, "ja_JP.UTF-8"},
        DialogCase{"800x600", 0, "zh_CN.UTF-8"}, DialogCase{"800x600", 0, "ko_KR.UTF-8"},
        DialogCase{"1366x768", 144, "en_US.UTF-8"}, DialogCase{"1366x768", 144, "zh_CN.UTF-8"},
        DialogCase{"800x504", 0, "en_US.UTF-8"}),
    [](const auto& info) {
        return QStringLiteral("%1_%2%3")
            .arg(QString::fromLatin1(info.param.screen).replace(u'x', u'_'),
                 QString::fromLatin1(info.param.lang).section(u'.', 0, 0),
                 info.param.fontDpi ? QStringLiteral("_%1dpi").arg(info.param.fontDpi) : QString())
            .toStdString();
    });

} // namespace
