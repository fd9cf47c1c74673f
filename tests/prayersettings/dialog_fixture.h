#pragma once
// A prayer settings dialog over a store in memory, with the stored defaults loaded, the system
// zone set to Riyadh's, message boxes answered by the test and the system-zone call recorded.
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "platform/tzlist.h"
#include "prayersettings/frmPrayerSettings.h"
#include "runtime/Interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

class DialogTest : public testing::Test {
protected:
    void SetUp() override {
        LoadSettings();
        gStartTab = 0;
        frmPrayerSettings::PlaceFileOverride.clear();
        platform::InstallSystemZoneHook([this] { return systemZone; });
        platform::InstallSetTimezoneHook(
            [this](const QByteArray& iana, platform::SystemAnswer answer) {
                zoneCalls << iana;
                const bool refuse = refuseZone;
                auto give = [answer, refuse] {
                    answer(!refuse, refuse ? QStringLiteral("Access denied") : QString());
                };
                if (holdZoneAnswer)
                    heldZoneAnswers << give;
                else
                    give();
            });
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            prompts << prompt;
            return answer;
        });
    }
    void TearDown() override {
        if (dialog)
            delete dialog.data();
        platform::InstallSystemZoneHook({});
        platform::InstallSetTimezoneHook({});
        runtime::SetMsgBoxAnswerer(nullptr);
        frmPrayerSettings::PlaceFileOverride.clear();
    }

    frmPrayerSettings* open() {
        dialog = new frmPrayerSettings();
        dialog->Load();
        return dialog;
    }

    // Whether the dialog has gone (an unloaded form is deleted once events run).
    bool closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !dialog;
    }

    // A place file of the text in the test's own folder.
    QString placeFile(const QByteArray& text) {
        const QString path = dir.filePath(QStringLiteral("TallixTime.xml"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        return path;
    }

    // The row of the zone list whose display starts with the text, -1 when none does.
    static int zoneRow(QComboBox* cbo, const QString& start) {
        for (int i = 0; i < cbo->count(); ++i)
            if (cbo->itemText(i).startsWith(start))
                return i;
        return -1;
    }

    FakeRegistry registry;
    FakeLocale locale;
    FakeSound sound;
    QTemporaryDir dir;
    QPointer<frmPrayerSettings> dialog;
    QByteArray systemZone = "Asia/Riyadh";
    bool refuseZone = false;
    // With holdZoneAnswer the system's answers wait in heldZoneAnswers until the test gives
    // them; either way they reach the dialog from the event loop.
    bool holdZoneAnswer = false;
    QList<std::function<void()>> heldZoneAnswers;
    QList<QByteArray> zoneCalls;
    QStringList prompts;
    int answer = vbYes;
};
