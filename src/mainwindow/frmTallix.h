#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "platform/tray.h"
#include "runtime/FileListBox.h"
#include "runtime/Form.h"
#include "runtime/ImageControl.h"

#include <array>

class QAction;
class QMenu;
class QToolBar;

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

    // ---- prayer computation ----

    // ---- date names ----

    // ---- sound, mute, tray icon and Kaaba pictures ----
    FileListBox flbMain;                  // hidden: lists the user's sound and picture folders
    std::array<Image*, 6> imgIconKabaa{}; // hidden tray icon pictures (0 normal, 2 muted...)
    ImageList imgKabaaList;               // the 33 built-in Kaaba pictures, 1..33
    Image* imgKabaa = nullptr;            // the Kaaba picture shown in the window
    QToolBar* tlbMain = nullptr;          // buttons keyed by their object names
    QMenu* mPopupSys = nullptr;           // the tray popup menu
    QAction* mnuMuteAll = nullptr;
    NOTIFYICONDATA gTrayIconData; // the tray record of the window's icon

    // The toolbar button with the key; nullptr when there is none.
    QAction* tlbMainButton(const QString& key) const;
    void mnuMuteAll_Click();
    void tlbMain_ButtonClick(QAction* Button);
    void imgKabaa_MouseUp(int Button, int Shift, float X, float Y);
    void createSoundControls();

    // ---- clock face, tooltips, fonts and system queries ----

protected:
    void Form_Load() override;
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
