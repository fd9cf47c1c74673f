// The reminder minutes: twelve lists of 0..60 minutes in steps of five, and the two buttons
// that give a group the Fajr list's value.
#include "frmPreferences.h"

#include <QComboBox>

void frmPreferences::cboReminder_Click() {
    Changed = true;
}

void frmPreferences::cmdIdenticalBefore_Click() {
    const int x = cboReminderBefore[1]->currentIndex();
    for (std::size_t i = 2; i <= 6; ++i)
        cboReminderBefore[i]->setCurrentIndex(x);
}

void frmPreferences::cmdIdenticalAfter_Click() {
    const int x = cboReminderAfter[1]->currentIndex();
    for (std::size_t i = 2; i <= 6; ++i)
        cboReminderAfter[i]->setCurrentIndex(x);
}
