#pragma once
// Message boxes, the message pump and the end of the process.
#include <QString>
#include <functional>

constexpr int vbOKOnly = 0;
constexpr int vbOKCancel = 1;
constexpr int vbYesNo = 4;
constexpr int vbCritical = 16;
constexpr int vbQuestion = 32;
constexpr int vbExclamation = 48;
constexpr int vbInformation = 64;
constexpr int vbDefaultButton2 = 256;

constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

// Shows a modal message box; the title defaults to App.Title. Returns the button chosen.
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// Processes every pending event once.
void DoEvents();

// Ends the process at once: no unload handlers run.
[[noreturn]] void End(int exitCode = 0);

namespace runtime {
// Tests answer message boxes: the answerer gets prompt, buttons and title and returns the
// button. nullptr brings back the real dialog.
using MsgBoxAnswerer = std::function<int(const QString&, int, const QString&)>;
void SetMsgBoxAnswerer(MsgBoxAnswerer answerer);
} // namespace runtime
