#include "frmTallix.h"

#include "core/settings.h"

#include <QPointer>
#include <QTimer>
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
    // The window has a fixed size: it can be minimised, never maximised.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    resize(480, 360);
    createSoundControls();
    initDateNames();
    connectTimetableCommands();
    createClockControls();
    createDayControls();
    createDdeControls();
    createCalendarControls();
    TranslateForm();
    createLifeControls();
    createMenuControls();
    createToolbarButtons();
    createToggleControls();
    placeControls();
}
