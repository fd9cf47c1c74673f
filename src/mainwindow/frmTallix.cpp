#include "frmTallix.h"

#include "core/kaaba.h"
#include "core/settings.h"

#include <QGroupBox>
#include <QPointer>
#include <QToolBar>

namespace {
QPointer<frmTallix> gMainWindow;
}

frmTallix* MainWindow() {
    return gMainWindow.data();
}

frmTallix::frmTallix(QWidget* parent) : Form(QStringLiteral("frmTallix"), parent) {
    gMainWindow = this;
    // A second start finds the running copy by the beginning of this caption.
    setWindowTitle(QStringLiteral("Tallix Time - "));
    resize(480, 360);
    createSoundControls();
    initDateNames();
    createClockControls();
    createCalendarControls();
    placeControls();
}

void frmTallix::Form_Load() {
    RefreshKabaaImage(gSelectedImage);
}

// Until the window's full layout arrives: the toolbar along the top, the clock under it on the
// left and the Kaaba picture to its right.
void frmTallix::placeControls() {
    const int top = tlbMain->height() + 8;
    picClock->move(10, top);
    imgKabaa->move(picClock->geometry().right() + 16, top + 15);
    fraMonthly->move(10, picClock->geometry().bottom() + 10);
    resize(std::max(width(), fraMonthly->geometry().right() + 10),
           std::max(height(), fraMonthly->geometry().bottom() + 10));
}
