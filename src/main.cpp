#include "core/mMain.h"
#include "platform/display.h"
#include "platform/open_files.h"
#include "platform/signals.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QIcon>

int main(int argc, char* argv[]) {
    // Ctrl+C or a log-out from the first moment on ends the program as the end of the session
    // does (see Main): caught now, acted on once Qt's event loop runs.
    platform::CatchSessionEndSignals();
    // Room for the data server's clients beside what Qt, GLib, D-Bus and ALSA need; the
    // servers take only as many clients as leave a reserve under the limit.
    platform::RaiseOpenFileLimit();
    // In a Wayland session with XWayland, run as an X11 client: only there can the window stay
    // on top, place itself and come forward at prayer time.
    if (const QByteArray qpa = platform::PreferredDisplayPlatform(argc, argv); !qpa.isEmpty())
        qputenv("QT_QPA_PLATFORM", qpa);
    QApplication app(argc, argv);
    // No display name: the window system would append it to every caption, and the main
    // window's caption is exactly the current prayer's text.
    QApplication::setApplicationName(QStringLiteral("tallix-time"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tallix-time.png")));
    // The program lives on in the tray when its windows are closed or hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    // A clock that starts at the given instant and runs on at the real pace: lets the real
    // program be tried at a chosen time of day (TALLIX_CLOCK_START=2024-03-10T12:31:55).
    const QDateTime start =
        QDateTime::fromString(qEnvironmentVariable("TALLIX_CLOCK_START"), Qt::ISODate);
    if (start.isValid()) {
        QElapsedTimer running;
        running.start();
        runtime::SetClock([start, running] { return start.addMSecs(running.elapsed()); });
    }
    return Main();
}
