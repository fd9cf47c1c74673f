#include "WorkArea.h"

#include "ScrollPage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
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
// A layout's room along one direction as the style or the code set it.
struct Room {
    QLayout* layout;
    int spacing;
    QMargins margins;
};

// A column of controls for Qt::Vertical, a row for Qt::Horizontal: the box layouts whose
// spacing lies along that direction.
QBoxLayout* boxAlong(QLayout* layout, Qt::Orientation along) {
    auto* box = qobject_cast<QBoxLayout*>(layout);
    if (!box)
        return nullptr;
    const bool column =
        box->direction() == QBoxLayout::TopToBottom || box->direction() == QBoxLayout::BottomToTop;
    return column == (along == Qt::Vertical) ? box : nullptr;
}

void setSpacing(QLayout* layout, Qt::Orientation along, int spacing) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        along == Qt::Vertical ? grid->setVerticalSpacing(spacing)
                              : grid->setHorizontalSpacing(spacing);
    else if (QBoxLayout* box = boxAlong(layout, along))
        box->setSpacing(spacing);
}

int spacing(QLayout* layout, Qt::Orientation along) {
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        return along == Qt::Vertical ? grid->verticalSpacing() : grid->horizontalSpacing();
    if (QBoxLayout* box = boxAlong(layout, along))
        return box->spacing();
    return -1;
}

// Two thirds, one third, then next to nothing of each gap; controls never quite touch.
constexpr int kSteps = 3;
constexpr int kLeast = 2;
int tightened(int room, int step) {
    return room <= kLeast ? room : std::max(kLeast, room * (kSteps - step) / kSteps);
}

// A combo box as wide as its longest item gives that up for this many letters; its list
// still opens as wide as the longest item, and the box fills what room its row has.
constexpr int kComboLetters = 16;

// Each combo box of the window that asks for more than kComboLetters asks for that.
void narrowCombos(QWidget* window) {
    for (QComboBox* combo : window->findChildren<QComboBox*>()) {
        if (combo->window() != window ||
            combo->sizeAdjustPolicy() == QComboBox::AdjustToMinimumContentsLengthWithIcon)
            continue;
        // What its layout gives it at least: its wish (its least size is not kept up to date
        // as items come).
        const int before = combo->sizeHint().width();
        const QComboBox::SizeAdjustPolicy policy = combo->sizeAdjustPolicy();
        const int letters = combo->minimumContentsLength();
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(kComboLetters);
        if (combo->sizeHint().width() >= before) {
            combo->setMinimumContentsLength(letters);
            combo->setSizeAdjustPolicy(policy);
            continue;
        }
        // Its least width as well (Qt keeps the one measured at its first item, and a least
        // width of its own may keep it as wide as its longest item).
        combo->setMinimumWidth(combo->sizeHint().width());
        combo->view()->setMinimumWidth(before);
    }
}

// The size the window's layout asks for along that direction, frame included: its wish across
// (rows close up to the height they ask for), the least it allows along (a window gives its
// controls no less).
int asked(QWidget* window, Qt::Orientation along) {
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
    window->layout()->invalidate();
    window->layout()->activate();
    const QMargins frame = FrameMarginsOf(window);
    return along == Qt::Vertical ? window->sizeHint().height() + frame.top() + frame.bottom()
                                 : window->minimumSizeHint().width() + frame.left() + frame.right();
}

bool fitLayouts(QWidget* window, Qt::Orientation along, int length) {
    if (!window || !window->layout())
        return false;
    const auto fits = [&] { return asked(window, along) <= length; };
    if (fits())
        return true;
    if (along == Qt::Horizontal) {
        narrowCombos(window);
        if (fits())
            return true;
    }
    // The layouts of the window's own controls (not of another window it holds).
    std::vector<Room> rooms;
    for (QLayout* layout : window->findChildren<QLayout*>())
        if (const QWidget* owner = layout->parentWidget(); owner && owner->window() == window)
            rooms.push_back({layout, spacing(layout, along), layout->contentsMargins()});
    for (int step = 1; step <= kSteps; ++step) {
        for (const Room& r : rooms) {
            if (r.spacing >= 0)
                setSpacing(r.layout, along, tightened(r.spacing, step));
            const QMargins& m = r.margins;
            if (along == Qt::Vertical)
                r.layout->setContentsMargins(m.left(), tightened(m.top(), step), m.right(),
                                             tightened(m.bottom(), step));
            else
                r.layout->setContentsMargins(tightened(m.left(), step), m.top(),
                                             tightened(m.right(), step), m.bottom());
        }
        if (fits())
            return true;
    }
    // The last resort: its pages that can scroll do so.
    bool letGo = false;
    for (ScrollPage* page : window->findChildren<ScrollPage*>())
        if (page->window() == window && !page->LetGo()) {
            page->SetLetGo(true);
            letGo = true;
        }
    return letGo && fits();
}

} // namespace

bool FitLayoutsToHeight(QWidget* window, int height) {
    return fitLayouts(window, Qt::Vertical, height);
}

bool FitLayoutsToWidth(QWidget* window, int width) {
    return fitLayouts(window, Qt::Horizontal, width);
}

} // namespace runtime
