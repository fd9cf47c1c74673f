#include "core/mMain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // No display name: the window system would append it to every caption, and the main
    // window's caption is exactly the current prayer's text.
    QApplication::setApplicationName(QStringLiteral("tallix-time"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tallix-time.png")));
    // The program lives on in the tray when its windows are closed or hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    return Main();
}
