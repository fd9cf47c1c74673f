// Restore Defaults: after a Yes, every control shows the default of its setting. Nothing is
// stored until OK.
#include "frmPreferences.h"

#include "runtime/App.h"
#include "runtime/Colors.h"
#include "runtime/Interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

void frmPreferences::cmdDefaults_Click() {
    if (MsgBox(DefaultsQuestion, vbYesNo | vbQuestion, App.Title) != vbYes)
        return;
    for (int s : {0, 1, 2, 3, 4, 6, 7})
        AudioOptions(s)->Select(1);
    const auto clearSlot = [this](std::size_t i) {
        CustomSound[i].clear();
        CustomSoundFolder[i].clear();
        txtCustomSoundFileName[i]->clear();
        txtCustomSoundFolder[i]->clear();
        txtCustomSoundFileName[i]->setVisible(true);
        txtCustomSoundFolder[i]->setVisible(false);
    };
    cboSelectedSound[0]->setCurrentIndex(2);
    clearSlot(0);
    for (std::size_t i = 1; i <= 4; ++i) {
        cboSelectedSound[i]->setCurrentIndex(5);
        clearSlot(i);
    }
    cboSelectedSound[5]->setCurrentIndex(22);
    for (std::size_t i = 6; i <= 7; ++i) {
        cboSelectedSound[i]->setCurrentIndex(5);
        clearSlot(i);
    }
    cboSelectedSound[8]->setCurrentIndex(22);
    chkDisplayBalloonTips->setChecked(true);
    chkDisplayMainScreen->setChecked(false);
    chkFlashTrayIcon->setChecked(false);
    chkDisplaySplashScreen->setChecked(false);
    optSecurityType.Select(1);
    chkActivateDDEServer->setChecked(false);
    cboDDEAdviseRate->setCurrentIndex(5);
    optColorType.Select(0);
    const std::int32_t defaults[] = {vbWindowBackground, vbWindowText,    vbInactiveBorder,
                                     vbHighlight,        vbHighlightText, vbInactiveBorder};
    for (int i = 0; i < 6; ++i)
        SetColor(i, defaults[i]);
    CustomImage.clear();
    CustomImageFolder.clear();
    txtCustomImageFileName->clear();
    txtCustomImageFolder->clear();
    optImageType.Select(0);
    // Mode 0 was perhaps selected already: its boxes are set here too.
    txtCustomImageFileName->setVisible(true);
    txtCustomImageFolder->setVisible(false);
    SelectedImage = 3;
    ShowBuiltInImage(SelectedImage);
    for (std::size_t i = 1; i <= 6; ++i) {
        cboReminderBefore[i]->setCurrentIndex(0);
        cboReminderAfter[i]->setCurrentIndex(0);
    }
    chkDisplayBalloonTipsReminder->setChecked(true);
    chkDisplayMainScreenReminder->setChecked(false);
    chkFlashTrayIconReminder->setChecked(false);
    Changed = true;
}
