// Opening and closing the dialog: filling every control from the settings state, OK and
// Cancel, and the change tracking of the controls that do nothing else.
#include "frmPreferences.h"

#include "core/audio.h"
#include "core/cNonClientMetrics.h"
#include "core/kaaba.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"
#include "runtime/ImageControl.h"
#include "runtime/Interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace {

// A stored position the list does not hold leaves the list without a selection.
void showPosition(QComboBox* list, std::int16_t position) {
    if (list && position >= 0 && position < list->count())
        list->setCurrentIndex(position);
}

void showCheck(QCheckBox* box, std::int16_t value) {
    box->setChecked(value != 0);
}

} // namespace

void frmPreferences::Form_Load() {
    SetBusy(true);
    const QCursor hand = HandCursor(); // the picture that plays the verse
    imgAlBaqarah238->setCursor(hand);
    fraAlBaqarah238->setCursor(hand);
    if (gPlatformId == 1)
        optSecurityType[0]->setEnabled(false);
    optSecurityType.Select(gSecurityType);
    ToolTip = std::make_unique<clsToolTip>();
    if (ToolTip->Create(this)) {
        ToolTip->MaxTipWidth(40);
        ToolTip->DelayTime(TTDT_AUTOPOP, 30000);
        ToolTip->ToolTipHeaderShow(false);
    }
    ApplySystemFont(this);
    SetTopMost(hWnd(), true);
    TranslateForm();

    showCheck(chkDisplaySplashScreen, gDisplaySplashScreen);
    showPosition(cboDDEAdviseRate, gDDEAdviseRate);
    showCheck(chkActivateDDEServer, gActivateDDEServer);
    for (int s : {0, 1, 2, 3, 4, 5, 6, 7, 8}) {
        const auto i = std::size_t(s);
        showPosition(cboSelectedSound[i], gSelectedSound[i]);
        if (s == 5 || s == 8)
            continue;
        CustomSound[i] = TrimBlanks(gCustomSound[i]);
        CustomSoundFolder[i] = TrimBlanks(gCustomSoundFolder[i]);
        txtCustomSoundFileName[i]->setText(GetFileName(gCustomSound[i]));
        txtCustomSoundFolder[i]->setText(GetFolderName(gCustomSoundFolder[i]));
    }
    for (int s : {0, 1, 2, 3, 4, 6, 7})
        AudioOptions(s)->Select(gAudioType[s]);
    optColorType.Select(gColorType);
    const std::int32_t stored[] = {gColorFace,           gColorHands,
                                   gColorSeconds,        gColorFaceHighlight,
                                   gColorHandsHighlight, gColorSecondsHighlight};
    for (int k = 0; k < 6; ++k)
        SetColor(k, stored[k]);
    showCheck(chkDisplayBalloonTips, gDisplayBalloonTips);
    showCheck(chkDisplayMainScreen, gDisplayMainScreen);
    showCheck(chkFlashTrayIcon, gFlashTrayIcon);
    for (std::size_t i = 1; i <= 6; ++i) {
        showPosition(cboReminderBefore[i], gReminderBefore[i]);
        showPosition(cboReminderAfter[i], gReminderAfter[i]);
    }
    showCheck(chkDisplayBalloonTipsReminder, gDisplayBalloonTipsReminder);
    showCheck(chkDisplayMainScreenReminder, gDisplayMainScreenReminder);
    showCheck(chkFlashTrayIconReminder, gFlashTrayIconReminder);

    tmrMain_Timer();
    tabMain->setCurrentIndex(gStartTab);

    CustomImage = TrimBlanks(gCustomImage);
    if (!CustomImage.isEmpty())
        txtCustomImageFileName->setText(GetFileName(gCustomImage));
    CustomImageFolder = TrimBlanks(gCustomImageFolder);
    if (!CustomImageFolder.isEmpty())
        txtCustomImageFolder->setText(GetFolderName(gCustomImageFolder));
    SelectedImage = gSelectedImage;
    ShowBuiltInImage(SelectedImage);
    // The option's handler shows the custom picture or folder; one that cannot be shown says
    // so under the preview and stays chosen, so that nothing stored is lost by opening.
    optImageType.Select(gImageType);

    tmrMain->start();
    Changed = false;
    SetBusy(false);
    DoEvents();
}

void frmPreferences::Form_Unload(int*) {
    tmrMain->stop();
    ToolTip.reset();
    imgAlBaqarah238->unsetCursor();
    fraAlBaqarah238->unsetCursor();
    DoEvents();
    if (frmTallix* window = MainWindow()) {
        window->EnablePrayNow();
        window->RefreshPrayers();
        window->DrawClock();
    }
}

void frmPreferences::cmdSave_Click() {
    if (Changed) {
        // A save that failed keeps the dialog open with the choices, to try again or cancel.
        if (!SaveSettings())
            return;
        Changed = false;
    }
    Unload();
}

void frmPreferences::cmdExit_Click() {
    Unload();
}

void frmPreferences::chkActivateDDEServer_Click() {
    const bool on = chkActivateDDEServer->isChecked();
    lblDDEAdviseRate->setEnabled(on);
    cboDDEAdviseRate->setEnabled(on);
    Changed = true;
}

void frmPreferences::cboDDEAdviseRate_Click() {
    cboDDEAdviseRate->setToolTip(cboDDEAdviseRate->currentText());
    Changed = true;
}
