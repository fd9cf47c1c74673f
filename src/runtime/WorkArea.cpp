#include "WorkArea.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace runtime {

QRect WorkAreaOf(const QWidget* window) {
    const QScreen* screen = window && window->isVisible() ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

namespace {
bool framed(const QWidget* window) {
    return !(window->windowFlags() & Qt::FramelessWindowHint) &&
           window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip &&
           window->windowType() != Qt::SplashScreen;
}

QMargins ownFrame(const QWidget* window) {
    const QWindow* native = window->windowHandle();
    return native && window->isVisible() && !window->isMinimized() ? native->frameMargins()
                                                                   : QMargins();
}
} // namespace

QMargins FrameMarginsOf(const QWidget* window) {
    if (!window || !framed(window))
        return {};
    if (const QMargins own = ownFrame(window); !own.isNull())
        return own;
    // Not framed yet (the window manager frames a window when it is first shown): the frame of
    // a window of the program that is up tells the title bar's height.
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && framed(other))
            if (const QMargins theirs = ownFrame(other); !theirs.isNull())
                return theirs;
    return {};
}

QRect FrameRect(const QWidget* window, const QSize& size) {
    const QMargins frame = FrameMarginsOf(window);
    return QRect(QPoint(0, 0), size.grownBy(frame));
}

QRect KeptOnArea(QRect frame, const QRect& area) {
    if (area.isEmpty())
        return frame;
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

namespace {
// A layout's vertical room as the style or the code set it.
struct Room {
    QLayout* layout;
    int spacing;
    QMargins margins;
};

// A column of controls (a row's spacing is horizontal).
QBoxLayout* column(QLayout* layout) {
    auto* box = qobject_cast<QBoxLayout*>(layout);
    return box && (box->direction() == QBoxLayout::TopToBottom ||
                   box->direction() == QBoxLayout::BottomToTop)
               ? box
               : nullptr;
}

void setVerticalSpacing(QLayout* layout, int spacing) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->setVerticalSpacing(spacing);
    else if (QBoxLayout* box = column(layout))
        box->setSpacing(spacing);
}

int verticalSpacing(QLayout* layout) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        return grid->verticalSpacing();
    if (QBoxLayout* box = column(layout))
        return box->spacing();
    return -1;
}

// Two thirds, one third, then next to nothing of each gap; controls never quite touch.
constexpr int kSteps = 3;
constexpr int kLeast = 2;
int tightened(int room, int step) {
    return room <= kLeast ? room : std::max(kLeast, room * (kSteps - step) / kSteps);
}

} // namespace

bool FitLayoutsToHeight(QWidget* window, int height) {
    QLayout* top = window ? window->layout() : nullptr;
    if (!top)
        return false;
    const QMargins frame = FrameMarginsOf(window);
    const auto fits = [&] {
        // Inner layouts first: each control's size hint is measured anew from its own layout.
        std::vector<std::pair<int, QWidget*>> owners;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->layout() && w->window() == window) {
                int depth = 0;
                for (const QWidget* p = w; p != window; p = p->parentWidget())
                    ++depth;
                owners.emplace_back(depth, w);
            }
        std::sort(owners.begin(), owners.end(),
                  [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& [depth, w] : owners) {
            w->layout()->activate();
            w->updateGeometry();
        }
        top->invalidate();
        top->activate();
        return window->sizeHint().height() + frame.top() + frame.bottom() <= height;
    };
    if (fits())
        return true;
    // The layouts of the window's own controls (not of another window it holds).
    std::vector<Room> rooms;
    for (QLayout* layout : window->findChildren<QLayout*>())
        if (const QWidget* owner = layout->parentWidget(); owner && owner->window() == window)
            rooms.push_back({layout, verticalSpacing(layout), layout->contentsMargins()});
    for (int step = 1; step <= kSteps; ++step) {
        for (const Room& r : rooms) {
            if (r.spacing >= 0)
                setVerticalSpacing(r.layout, tightened(r.spacing, step));
            r.layout->setContentsMargins(r.margins.left(), tightened(r.margins.top(), step),
                                         r.margins.right(), tightened(r.margins.bottom(), step));
        }
        if (fits())
            return true;
    }
    return false;
}

} // namespace runtime
