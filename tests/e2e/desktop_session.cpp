// The desktop's own helper: a picture of the whole screen.
#include "desktop_session.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace {

// "screenshot PATH": the whole screen of $DISPLAY as a PNG (run with the xcb platform).
const TestHelperRegistration kScreenshot(QStringLiteral("screenshot"), [](const QStringList& a) {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen && !a.isEmpty() && screen->grabWindow(0).save(a.first(), "PNG") ? 0 : 1;
});

} // namespace
