#include "ScreenRescue.h"

#include "Form.h"
#include "WorkArea.h"
#include "platform/window.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace runtime {

namespace {

// A window a user places: not a menu, a tip, or a window the window manager leaves alone (the
// tray's icon lives in the tray).
bool placeable(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return w->isVisible() && !w->isMinimized() && w->windowHandle() && type != Qt::Popup &&
           type != Qt::ToolTip && type != Qt::Desktop &&
           !w->windowFlags().testFlag(Qt::BypassWindowManagerHint) &&
           !w->testAttribute(Qt::WA_DontShowOnScreen);
}

QRect frameOf(const QWidget* w) {
    return w->geometry().marginsAdded(FrameMarginsOf(w));
}

bool whollyOnAWorkArea(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(frame))
            return true;
    return false;
}

// The screen the frame has the largest part on, else the primary one.
QScreen* screenMostOn(const QRect& frame) {
    QScreen* most = nullptr;
    qint64 largest = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect part = screen->geometry() & frame;
        const qint64 size = qint64(part.width()) * part.height();
        if (!part.isEmpty() && size > largest) {
            largest = size;
            most = screen;
        }
    }
    return most ? most : QGuiApplication::primaryScreen();
}

// A form with a layout larger than the area is fitted to it as a dialog is when it is shown
// (a form that fits is left as it is, a fixed one stays fixed).
void fitTo(QWidget* w, QScreen* screen) {
    auto* form = qobject_cast<Form*>(w);
    if (!form || !form->layout())
        return;
    // The fitting reads the work area of the window's screen: that is the one it goes to.
    w->windowHandle()->setScreen(screen);
    form->FitOnWorkArea();
}

} // namespace

bool BringOntoWorkArea(QWidget* window) {
    if (!window || !window->isWindow() || !placeable(window))
        return false;
    const QRect before = frameOf(window);
    if (whollyOnAWorkArea(before))
        return false;
    QScreen* screen = screenMostOn(before);
    if (!screen)
        return false;
    fitTo(window, screen);
    const QRect placed = KeptOnArea(frameOf(window), screen->availableGeometry());
    if (placed.topLeft() != before.topLeft())
        window->move(placed.topLeft());
    return placed != before;
}

namespace {
// A window shown again is mapped, framed and placed by the window manager after the show: it is
// looked at once that has happened, when its window is exposed.
class OnceExposed final : public QObject {
public:
    explicit OnceExposed(QWidget* widget) : QObject(widget->windowHandle()), widget_(widget) {
        parent()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            deleteLater();
            BringOntoWorkArea(widget_);
        } else if (event->type() == QEvent::Hide) {
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> widget_;
};
} // namespace

void BringWindowsOntoWorkAreas() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!placeable(w))
            continue;
        if (w->windowHandle()->isExposed())
            BringOntoWorkArea(w);
        else if (!w->windowHandle()->findChild<OnceExposed*>(QString(), Qt::FindDirectChildrenOnly))
            new OnceExposed(w);
    }
}

void KeepWindowsOnWorkAreas() {
    static bool kept = false;
    if (kept || !qApp)
        return;
    kept = true;
    // A change comes as several signals (a screen goes, another becomes the primary one, the
    // window manager then publishes the new work area): one pass after them.
    auto* pass = new QTimer(qApp);
    pass->setSingleShot(true);
    pass->setInterval(0);
    QObject::connect(pass, &QTimer::timeout, qApp, [] { BringWindowsOntoWorkAreas(); });
    const auto watch = [pass](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, pass, qOverload<>(&QTimer::start));
        QObject::connect(screen, &QScreen::availableGeometryChanged, pass,
                         qOverload<>(&QTimer::start));
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, pass, [pass, watch](QScreen* screen) {
        watch(screen);
        pass->start();
    });
    QObject::connect(qApp, &QGuiApplication::screenRemoved, pass, qOverload<>(&QTimer::start));
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, pass,
                     qOverload<>(&QTimer::start));
    platform::OnWindowBroughtForward([] { BringWindowsOntoWorkAreas(); });
}

} // namespace runtime
