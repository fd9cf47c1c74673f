#include "App.h"

#include "Convert.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <algorithm>

AppObject App;
ScreenObject Screen;

QString AppObject::Path() const {
    return QCoreApplication::applicationDirPath();
}

QString AppObject::EXEName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

void AppObject::SetTaskVisible(bool visible) {
    // Qt has no portable skip-taskbar switch; windows hidden to the tray are in no task list,
    // so the flag is kept for the window code that decides what to hide.
    taskVisible_ = visible;
}

MousePointerProperty& MousePointerProperty::operator=(int pointer) {
    if (pointer == value_)
        return *this;
    if (value_ != 0 && qApp)
        QApplication::restoreOverrideCursor();
    value_ = pointer;
    if (value_ == vbHourglass && qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (value_ != 0 && qApp)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    return *this;
}

QCursor HandCursor() {
    static const QCursor hand = [] {
        const QImage img(QStringLiteral(":/cursors/hand.png"));
        if (img.isNull())
            return QCursor(Qt::PointingHandCursor);
        const QStringList spot = img.text(QStringLiteral("HotSpot")).split(u',');
        const int x = spot.size() == 2 ? spot[0].toInt() : 0;
        const int y = spot.size() == 2 ? spot[1].toInt() : 0;
        return QCursor(QPixmap::fromImage(img), x, y);
    }();
    return hand;
}

namespace {
int twips() {
    const QScreen* s = qApp ? QGuiApplication::primaryScreen() : nullptr;
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? qRound(1440.0 / dpi) : 15;
}
} // namespace

int ScreenObject::TwipsPerPixelX() const {
    return twips();
}
int ScreenObject::TwipsPerPixelY() const {
    return twips();
}
int ScreenObject::PixelsX(double twips) const {
    return static_cast<int>(RoundHalfEven(twips / std::max(1, TwipsPerPixelX())));
}
