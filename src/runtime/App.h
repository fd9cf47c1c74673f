#pragma once
// The application and screen objects of the runtime.
#include "platform/wintypes.h"

#include <QCursor>
#include <QString>

class AppObject {
public:
    QString Title = QStringLiteral("Tallix Time");
    int Major = 1;
    int Minor = 0;
    int Revision = 0;
    // The program's folder and its file name without folder.
    QString Path() const;
    QString EXEName() const;
    // The module handle that embedded resources are played from.
    HANDLE hInstance = 0x400000;

    // Whether the application shows in the desktop's task list. Our windows carry the
    // skip-taskbar hint while this is false.
    bool TaskVisible() const { return taskVisible_; }
    void SetTaskVisible(bool visible);

private:
    bool taskVisible_ = true;
};
extern AppObject App;

// Screen.MousePointer: 0 default, 11 hourglass (an application-wide override cursor).
class MousePointerProperty {
public:
    operator int() const { return value_; }
    MousePointerProperty& operator=(int pointer);

private:
    int value_ = 0;
};

class ScreenObject {
public:
    MousePointerProperty MousePointer;
    // Twips per pixel of the primary screen (15 at 96 dpi).
    int TwipsPerPixelX() const;
    int TwipsPerPixelY() const;
    // A width in twips as whole pixels across (halves to even).
    int PixelsX(double twips) const;
};
extern ScreenObject Screen;

// The pointing hand over something that can be clicked: the program's own picture with the hot
// spot stored in it, or the desktop's hand when the picture is missing.
QCursor HandCursor();

constexpr int vbDefault = 0;
constexpr int vbHourglass = 11;
