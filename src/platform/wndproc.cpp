#include "wndproc.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QTimer>

namespace {

QHash<HWND, WNDPROC>& chains() {
    static QHash<HWND, WNDPROC> table;
    return table;
}

QHash<QPair<HWND, UINT>, QTimer*>& timers() {
    static QHash<QPair<HWND, UINT>, QTimer*> table;
    return table;
}

} // namespace

WNDPROC SetWindowLongA(HWND hWnd, int nIndex, WNDPROC dwNewLong) {
    if (nIndex != GWL_WNDPROC || !dwNewLong || hWnd == 0)
        return nullptr;
    WNDPROC previous = chains().value(hWnd, &DefWindowProcA);
    chains().insert(hWnd, dwNewLong);
    return previous;
}

LONG CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT uMsg, LONG wParam, LONG lParam) {
    if (!lpPrevWndFunc)
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    return lpPrevWndFunc(hWnd, uMsg, wParam, lParam);
}

LONG DefWindowProcA(HWND, UINT, LONG, LONG) {
    return 0;
}

LONG SendMessageA(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam) {
    return CallWindowProcA(chains().value(hWnd, &DefWindowProcA), hWnd, uMsg, wParam, lParam);
}

UINT SetTimer(HWND hWnd, UINT nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (uElapse == 0 || !lpTimerFunc || !QCoreApplication::instance())
        return 0;
    KillTimer(hWnd, nIDEvent);
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(int(qMin<UINT>(uElapse, 0x7FFFFFFF)));
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        lpTimerFunc(hWnd, WM_TIMER, nIDEvent,
                    DWORD(QDateTime::currentMSecsSinceEpoch() & 0xFFFFFFFF));
    });
    timers().insert(qMakePair(hWnd, nIDEvent), timer);
    timer->start();
    return nIDEvent;
}

BOOL KillTimer(HWND hWnd, UINT uIDEvent) {
    QTimer* timer = timers().take(qMakePair(hWnd, uIDEvent));
    if (!timer)
        return FALSE_;
    timer->stop();
    timer->deleteLater();
    return TRUE_;
}

namespace platform {
void ForgetWindowProcedures(HWND hWnd) {
    chains().remove(hWnd);
    const auto keys = timers().keys();
    for (const auto& key : keys)
        if (key.first == hWnd)
            KillTimer(key.first, key.second);
}
} // namespace platform
