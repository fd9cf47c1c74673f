// Return and Enter close a settings dialog with OK from every box, list and combo box it shows
// (what was changed is saved); Escape closes it with Cancel (nothing is saved). Keys are typed
// into the focused control as the user types them, so a control that keeps the key for itself
// (an editable combo box adding its text as an item, the coordinate boxes' key filter) fails.
#include "prefs_fixture.h"

#include "platform/timezone.h"
#include "platform/tzlist.h"
#include "prayersettings/frmPrayerSettings.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>

#include <functional>

namespace {

// One of the dialogs with an OK button: how to open it, what to change before the key, and
// whether the change reached the store.
struct KeyedDialog {
    const char* name;
    std::function<Form*()> open;
    std::function<void(Form*)> change;
    std::function<bool(const FakeRegistry&)> saved;
};

class DialogKeys : public PrefsFixture {
protected:
    void SetUp() override {
        PrefsFixture::SetUp();
        frmPrayerSettings::PlaceFileOverride.clear();
        platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
        platform::InstallSetTimezoneHook(
            [](const QByteArray&, platform::SystemAnswer answer) { answer(true, QString()); });
    }
    void TearDown() override {
        if (form_)
            delete form_.data();
        platform::InstallSystemZoneHook({});
        platform::InstallSetTimezoneHook({});
        PrefsFixture::TearDown();
    }

    static QList<KeyedDialog> dialogs() {
        return {
            {"Prayer Settings",
             [] {
                 gStartTab = 0;
                 auto* d = new frmPrayerSettings();
                 d->Load();
                 return d;
             },
             [](Form* f) {
                 auto* d = static_cast<frmPrayerSettings*>(f);
                 d->cboRounding->setCurrentIndex(d->cboRounding->currentIndex() == 0 ? 1 : 0);
             },
             [](const FakeRegistry& r) {
                 return r.writes.contains(QStringLiteral("HKEY_CURRENT_USER\\") + kSettingsKey +
                                              QStringLiteral("\\Rounding"),
                                          Qt::CaseInsensitive);
             }},
            {"Preferences",
             [] {
                 gStartTab = 0;
                 auto* d = new frmPreferences();
                 d->Load();
                 return d;
             },
             [](Form* f) {
                 auto* d = static_cast<frmPreferences*>(f);
                 d->chkDisplayMainScreen->setChecked(!d->chkDisplayMainScreen->isChecked());
             },
             [](const FakeRegistry& r) {
                 return r.writes.contains(QStringLiteral("HKEY_CURRENT_USER\\") + kSettingsKey +
                                              QStringLiteral("\\DisplayMainScreen"),
                                          Qt::CaseInsensitive);
             }},
        };
    }

    // The dialog shown and active, on the page that holds the control (by its place among
    // the dialog's line edits, combo boxes and lists); nullptr when the control is not shown.
    QWidget* openAt(const KeyedDialog& d, int control) {
        form_ = d.open();
        d.change(form_);
        form_->show();
        form_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form_)) << d.name;
        QWidget* w = controls(form_).value(control);
        if (!w)
            return nullptr;
        for (QWidget* up = w; up && up != form_; up = up->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(up->parentWidget()->parentWidget()))
                if (tabs->indexOf(up) >= 0)
                    tabs->setCurrentWidget(up);
        QCoreApplication::processEvents();
        if (!w->isVisible() || !w->isEnabled())
            return nullptr;
        w->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        return w;
    }

    // The line edits (not those inside a combo box), combo boxes and lists of the dialog.
    static QList<QWidget*> controls(Form* f) {
        QList<QWidget*> found;
        for (QWidget* w : f->findChildren<QWidget*>()) {
            const bool edit =
                qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget());
            const bool list = qobject_cast<QAbstractItemView*>(w) &&
                              !qobject_cast<QComboBox*>(w->parentWidget()) && w->window() == f;
            if (edit || qobject_cast<QComboBox*>(w) || (list && !qobject_cast<QComboBox*>(w)))
                found.append(w);
        }
        return found;
    }

    bool closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return form_.isNull();
    }

    QPointer<Form> form_;
};

TEST_F(DialogKeys, ReturnIsOkAndEscapeCancelFromEveryControl) {
    for (const KeyedDialog& d : dialogs()) {
        Form* first = d.open();
        const int count = int(controls(first).size());
        delete first;
        int tried = 0;
        for (int c = 0; c < count; ++c) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
                registry_.writes.clear();
                QWidget* w = openAt(d, c);
                if (!w) {
                    delete form_.data();
                    break;
                }
                const std::string what = std::string(d.name) + " " + w->objectName().toStdString() +
                                         " #" + std::to_string(c) +
                                         (key == Qt::Key_Return ? " Return" : " Escape");
                QWidget* focus = QApplication::focusWidget();
                ASSERT_TRUE(focus == w || w->isAncestorOf(focus)) << what;
                const int items =
                    qobject_cast<QComboBox*>(w) ? static_cast<QComboBox*>(w)->count() : -1;
                QTest::keyClick(focus, key);
                if (!closed()) {
                    ADD_FAILURE() << what << ": the dialog stays open";
                    if (items >= 0) {
                        EXPECT_EQ(static_cast<QComboBox*>(w)->count(), items) << what;
                    }
                    delete form_.data();
                    continue;
                }
                EXPECT_EQ(d.saved(registry_), key == Qt::Key_Return) << what;
                tried += key == Qt::Key_Return;
            }
        }
        // Most of the dialog's controls are on its pages as it opens.
        EXPECT_GE(tried, 10) << d.name;
    }
}

// The number pad's Enter is Return.
TEST_F(DialogKeys, EnterOfTheNumberPadIsOk) {
    for (const KeyedDialog& d : dialogs()) {
        registry_.writes.clear();
        int control = 0;
        // The first line edit: the coordinate box of the prayer settings, a file box of the
        // preferences when one shows.
        for (; control < 200; ++control)
            if (QWidget* w = openAt(d, control); w && qobject_cast<QLineEdit*>(w))
                break;
            else
                delete form_.data();
        if (!form_)
            continue;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(closed()) << d.name;
        EXPECT_TRUE(d.saved(registry_)) << d.name;
    }
}

} // namespace
