// OK: every value the dialog shows goes to the settings store and the settings state, and the
// running program follows at once (data server, advise rate, Kaaba picture).
#include "frmPreferences.h"

#include "core/kaaba.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Convert.h"
#include "runtime/ImageControl.h"
#include "runtime/Interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

namespace {

class Writer {
public:
    // Writes the text; a failed write is remembered for the report.
    void put(const QString& name, const QString& text) {
        if (!RegSetString(kSettingsKey, name, text))
            failed.append(name);
    }
    void put(const QString& name, int value) { put(name, QString::number(value)); }
    QString get(const QString& name) const { return RegGetString(kSettingsKey, name); }
    // Reads the value back into a number; a text that does not convert keeps the number.
    template <typename T> void readBack(const QString& name, T& variable) const {
        if constexpr (sizeof(T) == 2) {
            if (const auto v = CInt(get(name)))
                variable = *v;
        } else {
            if (const auto v = CLng(get(name)))
                variable = *v;
        }
    }

    QStringList failed;
};

QString indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QString::number(index);
}

} // namespace

bool frmPreferences::SaveSettings() {
    SetBusy(true);
    Writer w;
    const auto check = [](QCheckBox* box) { return std::int16_t(box->isChecked() ? 1 : 0); };
    // An option group or list without a selection writes nothing and keeps its value.
    const auto option = [&](const QString& name, const OptionArray& options,
                            std::int16_t& variable) {
        const int k = options.Selected();
        if (k < 0)
            return;
        w.put(name, k);
        variable = std::int16_t(k);
    };
    const auto list = [&](const QString& name, QComboBox* box, std::int16_t& variable) {
        if (box->currentIndex() < 0)
            return;
        w.put(name, box->currentIndex());
        w.readBack(name, variable);
    };

    gDisplayBalloonTips = check(chkDisplayBalloonTips);
    w.put(QStringLiteral("DisplayBalloonTips"), gDisplayBalloonTips);
    gDisplayMainScreen = check(chkDisplayMainScreen);
    w.put(QStringLiteral("DisplayMainScreen"), gDisplayMainScreen);
    gFlashTrayIcon = check(chkFlashTrayIcon);
    w.put(QStringLiteral("FlashTrayIcon"), gFlashTrayIcon);
    option(QStringLiteral("SecurityType"), optSecurityType, gSecurityType);
    gDisplaySplashScreen = check(chkDisplaySplashScreen);
    w.put(QStringLiteral("DisplaySplashScreen"), gDisplaySplashScreen);

    // The data server starts or stops when its box changed; one that does not start is not
    // recorded as running.
    bool serverFailed = false;
    const std::int16_t oldServer = gActivateDDEServer;
    std::int16_t newServer = check(chkActivateDDEServer);
    frmTallix* window = MainWindow();
    if (oldServer == 0 && newServer == 1 && window && !window->InitializeDDE()) {
        serverFailed = true;
        newServer = 0;
        const QSignalBlocker quiet(chkActivateDDEServer);
        chkActivateDDEServer->setChecked(false);
    } else if (oldServer == 1 && newServer == 0 && window) {
        window->UninitializeDDE();
    }
    w.put(QStringLiteral("ActivateDDEServer"), newServer);
    gActivateDDEServer = newServer;
    if (cboDDEAdviseRate->currentIndex() >= 0) {
        gDDEAdviseRate = std::int16_t(cboDDEAdviseRate->currentIndex());
        w.put(QStringLiteral("DDEAdviseRate"), gDDEAdviseRate);
    }
    if (window)
        window->tmrDDE.setInterval(AdviseRateToMs(gDDEAdviseRate));

    // A custom picture mode without its file or folder falls back to random pictures.
    const int imageType = optImageType.Selected();
    if (imageType >= 0) {
        int k = imageType;
        if ((k == 2 && TrimBlanks(CustomImage).isEmpty()) ||
            (k == 3 && TrimBlanks(CustomImageFolder).isEmpty()))
            k = 0;
        w.put(QStringLiteral("ImageType"), k);
        gImageType = std::int16_t(k);
    }
    w.put(QStringLiteral("SelectedImage"), SelectedImage);
    w.readBack(QStringLiteral("SelectedImage"), gSelectedImage);
    w.put(QStringLiteral("CustomImage"), CustomImage);
    gCustomImage = w.get(QStringLiteral("CustomImage"));
    w.put(QStringLiteral("CustomImageFolder"), CustomImageFolder);
    gCustomImageFolder = w.get(QStringLiteral("CustomImageFolder"));
    if (window && window->imgKabaa) {
        // The modes in which a click on the main window's picture shows another one.
        if (gImageType == 2)
            window->imgKabaa->unsetCursor();
        else
            window->imgKabaa->setCursor(
                QCursor(QPixmap(QStringLiteral(":/cursors/hand.png")), 9, 1));
    }

    for (int s : {0, 1, 2, 3, 4, 6, 7})
        option(indexed("AudioType", s), *AudioOptions(s), gAudioType[s]);
    for (int s = 0; s <= 8; ++s) {
        const auto i = std::size_t(s);
        list(indexed("SelectedSound", s), cboSelectedSound[i], gSelectedSound[i]);
        if (s == 5 || s == 8)
            continue;
        w.put(indexed("CustomSound", s), CustomSound[i]);
        gCustomSound[i] = w.get(indexed("CustomSound", s));
        w.put(indexed("CustomSoundFolder", s), CustomSoundFolder[i]);
        gCustomSoundFolder[i] = w.get(indexed("CustomSoundFolder", s));
    }

    option(QStringLiteral("ColorType"), optColorType, gColorType);
    const struct {
        const char* name;
        int index;
        std::int32_t& variable;
    } colors[] = {
        {"ColorFace", 0, gColorFace},       {"ColorFaceHighlight", 3, gColorFaceHighlight},
        {"ColorHands", 1, gColorHands},     {"ColorHandsHighlight", 4, gColorHandsHighlight},
        {"ColorSeconds", 2, gColorSeconds}, {"ColorSecondsHighlight", 5, gColorSecondsHighlight}};
    for (const auto& c : colors) {
        const QString name = QString::fromLatin1(c.name);
        w.put(name, QString::number(Colors[std::size_t(c.index)]));
        w.readBack(name, c.variable);
    }

    for (std::size_t i = 1; i <= 6; ++i) {
        list(indexed("ReminderBefore", int(i)), cboReminderBefore[i], gReminderBefore[i]);
        list(indexed("ReminderAfter", int(i)), cboReminderAfter[i], gReminderAfter[i]);
    }
    gDisplayBalloonTipsReminder = check(chkDisplayBalloonTipsReminder);
    w.put(QStringLiteral("DisplayBalloonTipsReminder"), gDisplayBalloonTipsReminder);
    gDisplayMainScreenReminder = check(chkDisplayMainScreenReminder);
    w.put(QStringLiteral("DisplayMainScreenReminder"), gDisplayMainScreenReminder);
    gFlashTrayIconReminder = check(chkFlashTrayIconReminder);
    w.put(QStringLiteral("FlashTrayIconReminder"), gFlashTrayIconReminder);

    RefreshKabaaImage(SelectedImage);
    SetBusy(false);

    if (serverFailed)
        MsgBox(QStringLiteral("The data server could not be started, so it stays off.\r\n"
                              "The reason: %1.")
                   .arg(frmTallix::DataServerTrouble()),
               vbExclamation);
    if (!w.failed.isEmpty()) {
        MsgBox(QStringLiteral("The preferences could not be saved: %1 of them could not be "
                              "written to the settings file.\r\n\r\nCheck that the settings "
                              "folder can be written to, then press OK again, or Cancel.")
                   .arg(w.failed.size()),
               vbExclamation);
        return false;
    }
    return true;
}
