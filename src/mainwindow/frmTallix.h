#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "core/clsToolTip.h"
#include "runtime/Form.h"
#include "runtime/PictureBox.h"

#include <cstdint>

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

    // ---- prayer computation ----

    // ---- date names ----

    // ---- sound, mute, tray icon and Kaaba pictures ----

    // ---- clock face, tooltips, fonts and system queries ----
    // The analog clock in the window's top-left corner, its hands drawn on it.
    PictureBox* picClock = nullptr;
    LineShape* LH = nullptr;
    LineShape* LM = nullptr;
    LineShape* LS = nullptr;
    // The window's tooltips: multi-line, up to 30 seconds.
    clsToolTip ttMain;
    // Redraws the clock: its face in gColorFace, the hands in gColorHands and gColorSeconds,
    // standing at the current time.
    void DrawClock();
    // Puts the hands at the time. The hour hand stands on whole hours only: h + m / 60 rounded,
    // a half to the even hour.
    void SetClockHands(std::int16_t h, std::int16_t m, std::int16_t s);
    // A left click opens the desktop's date-and-time settings.
    void picClock_MouseUp(int Button, int Shift, double X, double Y);

private:
    void createClockControls();

public:
protected:
    void Form_Load() override;
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
