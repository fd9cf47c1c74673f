// The settings dialogs with the keyboard alone: every Tab stop shows something (no page's
// scroll area takes the focus), Tab into a group of option buttons lands on the checked one
// (Space there changes nothing) and the arrow keys move within the group, and the caption with
// two "&" of the Other page has one mnemonic that works, underlined alone, with no "&" in its
// accessible name and no other control of the page or the dialog answering the same letter.
// Keys are typed into the focused control as the user types them.
#include "prefs_fixture.h"

#include "fakes/wait_for.h"
#include "platform/timezone.h"
#include "prayersettings/frmPrayerSettings.h"
#include "runtime/Mnemonics.h"
#include "runtime/ScrollPage.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace {

class KeyboardOnly : public PrefsFixture {
protected:
    void SetUp() override {
        PrefsFixture::SetUp();
        frmPrayerSettings::PlaceFileOverride.clear();
        platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
    }
    void TearDown() override {
        if (settings_)
            delete settings_.data();
        platform::InstallSystemZoneHook({});
        PrefsFixture::TearDown();
    }

    // The form shown and active, on that page of its tabs.
    static void showOn(Form* form, QTabWidget* tabs, int page) {
        tabs->setCurrentIndex(page);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    }
    static void tab(Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
    }
    // Tabs from the page's tab until a control the test looks for has the focus (at most a
    // round of the dialog); nullptr when none does.
    template <typename Found>
    static QWidget* tabUntil(QTabWidget* tabs, Found found) {
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 200; ++i) {
            tab();
            if (QWidget* w = QApplication::focusWidget(); w && found(w))
                return w;
        }
        return nullptr;
    }

    frmPrayerSettings* openSettings(int page) {
        gStartTab = static_cast<std::int16_t>(page);
        settings_ = new frmPrayerSettings();
        settings_->Load();
        return settings_;
    }

    QPointer<frmPrayerSettings> settings_;
};

TEST_F(KeyboardOnly, NoTabStopShowsNothing) {
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        frmPrayerSettings* d = openSettings(page);
        showOn(d, d->tabMain, page);
        // A round of Tabs and one back: every control that takes the focus.
        QSet<QWidget*> stops;
        d->tabMain->tabBar()->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 150; ++i) {
            tab(i < 100 ? Qt::NoModifier : Qt::ShiftModifier);
            if (QWidget* w = QApplication::focusWidget())
                stops.insert(w);
        }
        EXPECT_GE(stops.size(), 10);
        for (QWidget* w : stops)
            EXPECT_FALSE(qobject_cast<ScrollPage*>(w) ||
                         (w->parentWidget() && qobject_cast<ScrollPage*>(w->parentWidget())))
                << "the page's scroll area";
        delete settings_.data();
    }
}

TEST_F(KeyboardOnly, TabIntoOptionButtonsLandsOnTheCheckedOne) {
    // The first athan's choice (its second button, "Selected Athan", as stored) and the
    // calculation method (the seventh, Umm Al-Qura's); each group is one Tab stop.
    frmPreferences& prefs = open(0);
    frmPrayerSettings* settings = openSettings(1);
    const struct {
        const char* name;
        Form* form;
        QTabWidget* tabs;
        int page;
        QList<QRadioButton*> group;
        int checked;
    } cases[] = {
        {"athan",
         &prefs,
         prefs.tabMain,
         0,
         {prefs.optAudioTypeFajr[0], prefs.optAudioTypeFajr[1], prefs.optAudioTypeFajr[2],
          prefs.optAudioTypeFajr[3]},
         1},
        {"method",
         settings,
         settings->tabMain,
         1,
         {settings->optCalculationMethod[0], settings->optCalculationMethod[1],
          settings->optCalculationMethod[2], settings->optCalculationMethod[3],
          settings->optCalculationMethod[4], settings->optCalculationMethod[5],
          settings->optCalculationMethod[6], settings->optCalculationMethod[7]},
         6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.form->hide();
        showOn(c.form, c.tabs, c.page);
        ASSERT_TRUE(c.group[c.checked]->isChecked());
        const auto inGroup = [&](QWidget* w) {
            return c.group.contains(qobject_cast<QRadioButton*>(w));
        };
        QWidget* landed = tabUntil(c.tabs, inGroup);
        ASSERT_NE(landed, nullptr) << "Tab never reaches the group";
        EXPECT_EQ(landed, c.group[c.checked]) << landed->objectName().toStdString();
        // Space on it keeps the choice.
        QTest::keyClick(landed, Qt::Key_Space);
        EXPECT_TRUE(c.group[c.checked]->isChecked());
        // Tab leaves the group; Shift+Tab comes back to the same button.
        tab();
        EXPECT_FALSE(inGroup(QApplication::focusWidget()));
        tab(Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), c.group[c.checked]);
        // The arrow keys move within the group (and choose, as Qt's exclusive groups do); the
        // Tab stop follows the choice.
        for (const Qt::Key arrow : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Down, Qt::Key_Right})
            if (QApplication::focusWidget() == c.group[c.checked])
                QTest::keyClick(QApplication::focusWidget(), arrow);
        QWidget* moved = QApplication::focusWidget();
        EXPECT_TRUE(inGroup(moved) && moved != c.group[c.checked]);
        EXPECT_TRUE(static_cast<QRadioButton*>(moved)->isChecked());
        EXPECT_EQ(tabUntil(c.tabs, inGroup), moved);
        c.form->hide();
    }
}

TEST_F(KeyboardOnly, ACaptionWithTwoMarksHasOneWorkingMnemonic) {
    frmPreferences& d = open(1);
    showOn(&d, d.tabMain, 1);
    QCheckBox* dde = d.chkActivateDDEServer;
    EXPECT_EQ(dde->text(), QStringLiteral("Activate &DDE Server"));
    const QString name = QAccessible::queryAccessibleInterface(dde)->text(QAccessible::Name);
    EXPECT_EQ(name, QStringLiteral("Activate DDE Server"));

    // No other caption of the page, its tabs or the dialog's buttons answers Alt+D.
    QWidget* page = d.tabMain->currentWidget();
    QStringList captions;
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
        if (b != dde && b->isVisibleTo(&d))
            captions << b->text();
    for (QLabel* l : page->findChildren<QLabel*>())
        if (l->buddy())
            captions << l->text();
    for (QGroupBox* g : page->findChildren<QGroupBox*>())
        captions << g->title();
    for (int i = 0; i < d.tabMain->count(); ++i)
        captions << d.tabMain->tabText(i);
    for (QPushButton* b : {d.cmdSave, d.cmdExit, d.cmdDefaults})
        captions << b->text();
    ASSERT_EQ(QKeySequence::mnemonic(dde->text()), QKeySequence(Qt::ALT | Qt::Key_D));
    for (const QString& caption : captions) {
        EXPECT_NE(QKeySequence::mnemonic(caption), QKeySequence::mnemonic(dde->text()))
            << caption.toStdString();
        // Each caption of the dialog underlines one letter at most.
        EXPECT_EQ(OneMnemonic(caption), caption) << caption.toStdString();
    }

    // Alt+D from another control toggles it, and again.
    const bool was = dde->isChecked();
    d.cmdSave->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    // A mnemonic clicks the button as it shows a click: a moment later.
    EXPECT_TRUE(WaitFor([&] { return dde->isChecked() == !was; }, 10000));
    EXPECT_TRUE(dde->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(WaitFor([&] { return dde->isChecked() == was; }, 10000));
}

TEST(OneMnemonic, KeepsTheLastMarkAndWrittenAmpersands) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Act&ivate &DDE Server", "Activate &DDE Server"},
        {"&One &Two &Three", "One Two &Three"},
        {"Sta&ndard", "Sta&ndard"},
        {"No mark", "No mark"},
        {"Salt && &Pepper", "Salt && &Pepper"},
        {"&Salt && &Pepper", "Salt && &Pepper"},
        {"Trailing &", "Trailing &"},
        {"&A &", "&A &"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OneMnemonic(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

} // namespace
