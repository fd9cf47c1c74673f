#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "runtime/Form.h"

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

    // ---- prayer computation ----

    // ---- date names ----

    // ---- sound, mute, tray icon and Kaaba pictures ----

    // ---- clock face, tooltips, fonts and system queries ----

protected:
    void Form_Load() override;
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
