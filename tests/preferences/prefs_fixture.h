#pragma once
// The preferences dialog under test: the settings store, sound and shell fakes, a main window
// for the built-in pictures and the hooks, a fixed clock, and the settings state at its
// defaults.
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "preferences/dialogs.h"
#include "preferences/frmPreferences.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A main window whose data server fails to start when told to.
class TestMainWindow : public frmTallix {
public:
    bool serverStarts = true;
    int starts = 0;
    int stops = 0;
    bool InitializeDDE() override {
        ++starts;
        return serverStarts && frmTallix::InitializeDDE();
    }
    void UninitializeDDE() override {
        ++stops;
        frmTallix::UninitializeDDE();
    }
};

class PrefsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        runtime::SetClock(QDateTime(QDate(2026, 3, 14), QTime(10, 30, 0)));
        ResetSettings();
        LoadSettings();
        registry_.writes.clear();
        window_ = std::make_unique<TestMainWindow>();
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            messages_.append(prompt);
            return (buttons & 7) == vbYesNo ? answer_ : vbOK;
        });
    }
    void TearDown() override {
        if (dialog_)
            delete dialog_.data();
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetClock(nullptr);
        preferences::InstallFileDialogDriver(nullptr);
        preferences::InstallColorDialogDriver(nullptr);
    }

    // A new dialog, loaded as the opener loads it.
    frmPreferences& open(std::int16_t tab = 0) {
        if (dialog_)
            delete dialog_.data();
        gStartTab = tab;
        dialog_ = new frmPreferences();
        dialog_->Load();
        return *dialog_;
    }

    QString stored(const QString& name) const { return registry_.text(kSettingsKey, name); }
    // Whether the value was written since the dialog opened.
    bool written(const QString& name) const {
        return registry_.writes.contains(QStringLiteral("HKEY_CURRENT_USER\\") + kSettingsKey +
                                             u'\\' + name,
                                         Qt::CaseInsensitive);
    }

    // A file in the test's own folder.
    QString file(const QString& name, const QByteArray& content = QByteArray("RIFF")) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }

    // A short playable WAVE image: 8-bit mono at 8 kHz.
    static QByteArray wave() {
        return QByteArray::fromHex("524946462c000000"
                                   "57415645"
                                   "666d742010000000"
                                   "01000100401f0000401f000001000800"
                                   "6461746108000000") +
               QByteArray(8, '\x80');
    }

    FakeRegistry registry_;
    FakeSound sound_;
    FakeShell shell_;
    FakeTray tray_;
    std::unique_ptr<TestMainWindow> window_;
    QPointer<frmPreferences> dialog_;
    QTemporaryDir dir_;
    QStringList messages_;
    int answer_ = vbYes;
};
