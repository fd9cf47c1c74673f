#pragma once
// The one callback given to the DDE calls: every transaction goes to the main window's data
// server.
#include "platform/dde.h"

// Hands the transaction unchanged to frmTallix::HandleDDECallback and returns its result; 0
// (no data, refused) while there is no main window.
HDDEDATA DdeCallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2, HDDEDATA hData,
                     DWORD dwData1, DWORD dwData2);
