#include "Interaction.h"

#include "App.h"
#include "platform/window.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

namespace {
runtime::MsgBoxAnswerer gAnswerer;
}

namespace runtime {
void SetMsgBoxAnswerer(MsgBoxAnswerer answerer) {
    gAnswerer = std::move(answerer);
}
} // namespace runtime

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    const QString caption = title.isEmpty() ? App.Title : title;
    if (gAnswerer)
        return gAnswerer(prompt, buttons, caption);
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(prompt);
    switch (buttons & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    QPushButton* second = nullptr;
    switch (buttons & 0x7) {
    case vbOKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        second = qobject_cast<QPushButton*>(box.button(QMessageBox::Cancel));
        break;
    case vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        second = qobject_cast<QPushButton*>(box.button(QMessageBox::No));
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    if ((buttons & vbDefaultButton2) && second)
        box.setDefaultButton(second);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        return vbOK;
    }
}

void DoEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void End(int exitCode) {
    std::fflush(nullptr);
    // No exit handler runs: what the window layer published goes now.
    platform::RemoveWindowFiles();
    std::_Exit(exitCode);
}
