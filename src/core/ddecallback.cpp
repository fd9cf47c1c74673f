#include "ddecallback.h"

#include "mainwindow/frmTallix.h"

HDDEDATA DdeCallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2, HDDEDATA hData,
                     DWORD dwData1, DWORD dwData2) {
    // A transaction that arrives as the window goes away must not bring up a new one.
    frmTallix* main = MainWindow();
    if (!main)
        return 0;
    return main->HandleDDECallback(uType, uFmt, hConv, hsz1, hsz2, hData, dwData1, dwData2);
}
