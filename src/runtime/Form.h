#pragma once
// A form: a top-level window with a design name, in the collection of loaded forms while it
// exists. Form_Load runs once, when the form is first loaded or shown.
#include "platform/wintypes.h"

#include <QList>
#include <QWidget>

class QPushButton;

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString& name, QWidget* parent = nullptr);
    ~Form() override;

    QString Name() const { return name_; }
    HWND hWnd() const { return hwnd_; }
    bool IsLoaded() const { return loaded_; }

    // Runs Form_Load once.
    void Load();
    // vbModeless 0, vbModal 1: a modal show returns when the form is hidden or unloaded. While
    // it is up, the other windows of the program take no input; showing it modally again only
    // brings it to the front.
    void Show(int modal = 0);
    // Asks Form_QueryUnload (from code: unloadMode 1), then runs Form_Unload and deletes the
    // form later. A dialog of its own that is open (a question, a file or colour dialog) is
    // closed first, and the form lives on until that dialog's caller has returned. Returns
    // false when the unload was cancelled.
    bool Unload();
    // The same for another source of the request (vbFormControlMenu, vbAppWindows...).
    bool UnloadFrom(int unloadMode) { return runUnload(unloadMode); }
    // Centres the form over a window that is shown and not minimised, kept inside that window's
    // work area; otherwise on the work area. A form not shown yet is placed as it is shown, and
    // is first fitted to the work area (FitOnWorkArea). Places the frame (title bar included).
    void CenterOver(const QWidget* window);
    // A form with a layout whose frame is wider or taller than the work area (of the window
    // given, when shown, else its own) is made to fit: across, it takes the width there is,
    // its layout closing up first where it allows no less (FitLayoutsToWidth); down, its
    // layouts' vertical spacing tightens until it fits, and it takes the height it then asks
    // for. Where closing up is not enough, its ScrollPages let go and scroll. A form that fits
    // is left as it is.
    void FitOnWorkArea(const QWidget* window = nullptr);

protected:
    virtual void Form_Load() {}
    // Set *cancel to true to keep the form. unloadMode: 0 close box, 1 code, 2 session end.
    virtual void Form_QueryUnload(int* cancel, int unloadMode) {}
    virtual void Form_Unload(int* cancel) {}

    // Moves the form's frame to the middle of its screen's work area (the desktop less its
    // panels; the primary screen's for a form not shown yet), its title bar never above it;
    // nothing happens without a screen.
    void CenterOnWorkArea();
    // A dialog of fixed size: a title bar with the close box only (no minimise or maximise
    // button), and the size it first shows with kept, so the window manager offers neither.
    void MakeFixedDialog();
    // Return and Enter press the default button from any control of the form (a button that has
    // the focus presses itself); Escape presses the cancel button.
    void SetDialogButtons(QPushButton* defaultButton, QPushButton* cancelButton);

    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool runUnload(int unloadMode);
    // Closes the dialogs of its own that are open; returns how many were.
    int closeOwnDialogs();
    // Deletes the form once the event loops of the dialogs just closed have returned.
    void deleteAfterDialogs(int dialogs);

    QString name_;
    HWND hwnd_ = 0;
    bool loaded_ = false;
    bool unloading_ = false;
    bool fixedDialog_ = false;
};

// The loaded forms, in the order they were loaded.
QList<Form*> Forms();
// The loaded form of that design name (in any case), nullptr when none is loaded.
Form* FindForm(const QString& name);
// Keeps a window opened over owner on top when owner is (the main window is, from the first
// start), or, with no owner, when a form shown is: a window kept on top never hides it. Called
// before the window is shown.
void KeepAboveOwner(QWidget* window, const QWidget* owner);
// When a modal window (a form shown modally, a question, a file dialog) is up, brings it to
// the front with the focus (shown again when the window manager minimised it) and returns
// true: a command that would open another window or end the program then does nothing else.
// Clicking or activating a window the modal window blocks calls it too.
bool BringModalWindowForward();

constexpr int vbModeless = 0;
constexpr int vbModal = 1;
constexpr int vbFormControlMenu = 0;
constexpr int vbFormCode = 1;
constexpr int vbAppWindows = 2;
