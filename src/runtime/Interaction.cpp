#include "Interaction.h"

#include "App.h"
#include "Form.h"
#include "platform/window.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
runtime::MsgBoxAnswerer gAnswerer;

bool shown(const QWidget* w) {
    return w && w->isVisible() && !w->isMinimized();
}

// The window that asks: the modal window up (a dialog, or a question before this one), else
// the active window, else the first form on the screen; nullptr when none is shown.
QWidget* askingWindow() {
    for (QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow()})
        if (shown(w))
            return w->window();
    for (Form* f : Forms())
        if (shown(f))
            return f;
    return nullptr;
}
} // namespace

namespace runtime {
void SetMsgBoxAnswerer(MsgBoxAnswerer answerer) {
    gAnswerer = std::move(answerer);
}
} // namespace runtime

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    const QString caption = title.isEmpty() ? App.Title : title;
    if (gAnswerer)
        return gAnswerer(prompt, buttons, caption);
    // Owned by the window that asks, the box stays above it; above windows kept on top, it is
    // kept on top too, and it takes the focus as it opens.
    QWidget* owner = askingWindow();
    QMessageBox box(owner);
    KeepAboveOwner(&box, owner);
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
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
    // A box closed without an answer (its window unloaded) answers as its last button does.
    int unanswered = vbOK;
    switch (buttons & 0x7) {
    case vbOKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        second = qobject_cast<QPushButton*>(box.button(QMessageBox::Cancel));
        unanswered = vbCancel;
        break;
    case vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        second = qobject_cast<QPushButton*>(box.button(QMessageBox::No));
        unanswered = vbNo;
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    if ((buttons & vbDefaultButton2) && second)
        box.setDefaultButton(second);
    box.exec();
    switch (box.clickedButton() ? box.standardButton(box.clickedButton()) : QMessageBox::NoButton) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Ok:
        return vbOK;
    default:
        return unanswered;
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
