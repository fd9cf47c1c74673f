// OK with a new system zone: the settings are saved at once, and the system's answer (which
// may wait for the user's password) comes later. Meanwhile the dialog says that it waits and
// takes no more edits, while the main window goes on ticking and calling to prayer.
#include "frmPrayerSettings.h"

#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {
const QString kSystemZoneWaitText =
    QStringLiteral("Waiting for the system to change its time zone (it may ask for your "
                   "password). Your settings are saved.");
} // namespace

void frmPrayerSettings::ShowSystemZoneWait() {
    tabMain->setEnabled(false);
    for (QPushButton* cmd : {cmdDefaults, cmdSave, cmdExit})
        cmd->setEnabled(false);
    lblSystemZone->setText(kSystemZoneWaitText);
    lblSystemZone->show();
    // Working, yet not frozen: the pointer over the dialog says so; the other windows keep
    // their own.
    setCursor(Qt::BusyCursor);
    // The main window shows the saved settings' times while the answer is awaited.
    RecomputeMainWindow();
}

void frmPrayerSettings::SystemZoneAnswered(QPointer<frmPrayerSettings> dialog, bool ok,
                                           const QString& error) {
    if (dialog)
        dialog->WaitingForSystemZone = false;
    // Told over the dialog while it waits, else over the main window (an athan may have
    // closed the dialog meanwhile, or the user did).
    if (!ok)
        MsgBox(LoadResString(600) + QStringLiteral("\n\n") + error, vbOKOnly | vbExclamation);
    if (dialog && !dialog->lblSystemZone->isHidden())
        dialog->Unload();
}
