#include "frmSplash.h"

#include "mMain.h"

#include <QLabel>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget* parent) : Form(QStringLiteral("frmSplash"), parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setStyleSheet(QStringLiteral("background: white;"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Tallix Time"), this);
    QFont font = title->font();
    font.setPointSize(18);
    font.setBold(true);
    font.setItalic(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    tmrSplash.setSingleShot(true);
    connect(&tmrSplash, &QTimer::timeout, this, [this] { Unload(); });
}

void frmSplash::Form_Load() {
    PlayStartupSound();
    tmrSplash.setInterval(5000);
    tmrSplash.start();
}
