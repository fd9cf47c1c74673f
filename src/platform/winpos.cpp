#include "winpos.h"

#include "window.h"

#include <QWidget>
#include <QWindow>

namespace {

void setKeepAbove(QWidget* w, bool above) {
    const Qt::WindowFlags old = w->windowFlags();
    const Qt::WindowFlags flags =
        above ? old | Qt::WindowStaysOnTopHint : old & ~Qt::WindowFlags(Qt::WindowStaysOnTopHint);
    if (flags == old)
        return;
    // setWindowFlags() would hide the window and create it anew; tell the widget and its
    // native window separately so that it stays where and as it is.
    w->overrideWindowFlags(flags);
    if (QWindow* native = w->windowHandle())
        native->setFlags(flags);
}

} // namespace

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    QWidget* w = platform::WidgetOfWindow(hWnd);
    if (!w || !w->isWindow())
        return 0;
    if (!(uFlags & SWP_NOZORDER)) {
        switch (hWndInsertAfter) {
        case HWND_TOPMOST:
            setKeepAbove(w, true);
            break;
        case HWND_NOTOPMOST:
            setKeepAbove(w, false);
            break;
        case HWND_TOP:
            w->raise();
            break;
        case HWND_BOTTOM:
            w->lower();
            break;
        default:
            break;
        }
    }
    if (!(uFlags & SWP_NOMOVE))
        w->move(X, Y);
    if (!(uFlags & SWP_NOSIZE))
        w->resize(cx, cy);
    return 1;
}
