#include "frmTallix.h"

#include "core/kaaba.h"
#include "core/settings.h"

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
    createLifeControls();
    placeControls();
}

// Until the window's full layout arrives: the toolbar along the top, the clock under it on the
// left and the Kaaba picture to its right.
void frmTallix::placeControls() {
    const int top = tlbMain->height() + 8;
    picClock->move(10, top);
    imgKabaa->move(picClock->geometry().right() + 16, top + 15);
}
