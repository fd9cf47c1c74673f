#include "frmTallix.h"

#include <QApplication>

frmTallix::frmTallix(QWidget* parent) : Form(QStringLiteral("frmTallix"), parent) {
    // A second start finds the running copy by the beginning of this caption.
    setWindowTitle(QStringLiteral("Tallix Time - "));
    resize(480, 360);
}

void frmTallix::Form_Load() {}
