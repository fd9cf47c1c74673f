// AWAITING-DAY: removed when the day's share is merged.
#include "frmTallix.h"

bool frmTallix::UpdateCurrentTime() {
    return windowState() == Qt::WindowNoState;
}

void frmTallix::RefreshPrayers() {}
