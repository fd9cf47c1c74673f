#include "core/mMain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tallix-time"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tallix Time"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tallix-time.png")));
    // The program lives on in the tray when its windows are closed or hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    return Main();
}
