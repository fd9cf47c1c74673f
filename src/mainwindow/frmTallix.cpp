#include "frmTallix.h"

#include <QPointer>

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
}

void frmTallix::Form_Load() {}
