#include "WorkArea.h"

#include "ScrollPage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QLayout>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace runtime {

namespace {
// Whether Qt scales the window's pixels (QT_SCALE_FACTOR, a font dpi above 96): then its
// sizes and places are the screen's divided by the scale and rounded, up or down.
bool scaled(const QWidget* window, const QScreen* screen) {
    const qreal ratio =
        window ? window->devicePixelRatioF() : (screen ? screen->devicePixelRatio() : 1.0);
    return !qFuzzyCompare(ratio, 1.0);
}
} // namespace

QRect WorkAreaOf(const QWidget* window) {
    const QScreen* screen = window && window->isVisible() ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect();
    QRect area = screen->availableGeometry();
    // Scaled, the area's edges may lie half a pixel of Qt's outside the screen's work area (683
    // of Qt's pixels are 1024.5 of a 1024-pixel screen at 1.5): the pixels that it covers
    // wholly, so that a window on the area lies on the screen's.
    if (scaled(window, screen)) {
        const QRect screenRect = screen->geometry();
        area.adjust(area.left() > screenRect.left() ? 1 : 0, area.top() > screenRect.top() ? 1 : 0,
                    -1, -1);
    }
    return area;
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

namespace {
QMargins knownFrame(const QWidget* window) {
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
} // namespace

QMargins FrameMarginsOf(const QWidget* window) {
    if (!window || !framed(window))
        return {};
    QMargins frame = knownFrame(window);
    // Scaled, Qt rounds the frame to its pixels, down as well (a border of one pixel is 0.4 of
    // Qt's at 2.5): a pixel more on each side, so that the frame is never larger than it says.
    if (!frame.isNull() && scaled(window, nullptr))
        frame += QMargins(1, 1, 1, 1);
    return frame;
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
    // Inner controls first: each control's size hint is measured anew from its own layout, and
    // the layout holding it forgets what it measured before. Every control, not only those
    // with a layout: a tab widget lays out its pages without one, and a page that let go (a
    // ScrollPage) asks for less only once the tab widget's place in the layout is measured anew.
    std::vector<std::pair<int, QWidget*>> controls;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window) {
            int depth = 0;
            for (const QWidget* p = w; p != window; p = p->parentWidget())
                ++depth;
            controls.emplace_back(depth, w);
        }
    std::stable_sort(controls.begin(), controls.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [depth, w] : controls) {
        if (w->layout())
            w->layout()->activate();
        w->updateGeometry();
    }
    window->layout()->invalidate();
    window->layout()->activate();
    const QMargins frame = FrameMarginsOf(window);
    return along == Qt::Vertical ? window->sizeHint().height() + frame.top() + frame.bottom()
                                 : window->minimumSizeHint().width() + frame.left() + frame.right();
}

// Each page of the tab widget in a ScrollPage, its tab as it was. Only where the room asks
// for it: a page in a scroll area may measure a little smaller than on its own (its controls
// are polished later), which would change the dialog on a screen with room.
void putPagesInScrollPages(QTabWidget* tabs) {
    const QSignalBlocker quiet(tabs);
    const int current = tabs->currentIndex();
    for (int i = 0; i < tabs->count(); ++i) {
        QWidget* page = tabs->widget(i);
        if (qobject_cast<ScrollPage*>(page))
            continue;
        const QString text = tabs->tabText(i);
        const QIcon icon = tabs->tabIcon(i);
        const QString tip = tabs->tabToolTip(i);
        const QString whatsThis = tabs->tabWhatsThis(i);
        const bool enabled = tabs->isTabEnabled(i);
        tabs->removeTab(i);
        tabs->insertTab(i, new ScrollPage(page, tabs), icon, text);
        tabs->setTabToolTip(i, tip);
        tabs->setTabWhatsThis(i, whatsThis);
        tabs->setTabEnabled(i, enabled);
    }
    tabs->setCurrentIndex(current);
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
    // The last resort: its pages scroll (they may have let go already, for the other
    // direction); the pages of its tabs that are not ScrollPages yet go into one.
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        if (tabs->window() == window)
            putPagesInScrollPages(tabs);
    for (ScrollPage* page : window->findChildren<ScrollPage*>())
        if (page->window() == window)
            page->SetLetGo(true);
    return fits();
}

} // namespace

bool FitLayoutsToHeight(QWidget* window, int height) {
    return fitLayouts(window, Qt::Vertical, height);
}

bool FitLayoutsToWidth(QWidget* window, int width) {
    return fitLayouts(window, Qt::Horizontal, width);
}

void FitOnArea(QWidget* window, const QRect& area) {
    if (!window || area.isEmpty())
        return;
    // The room for the window itself, its frame (title bar and borders) taken off.
    const QSize room = area.size().shrunkBy(FrameMarginsOf(window));
    // The size it shows with: its layout may still grow it to what its controls need.
    if (window->layout())
        window->layout()->activate();
    QSize fitted = window->size();
    const bool wide = fitted.width() > room.width();
    const bool tall = fitted.height() > room.height();
    if (!wide && !tall)
        return;
    const bool fixed = window->minimumSize() == window->maximumSize();
    if (fixed) {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (window->layout()) {
        const QSize wishBefore = window->sizeHint();
        // Wider than the area (a small screen, a large font, a wide locale font): it takes the
        // width there is, its layout closing up first where it allows no less.
        if (wide)
            FitLayoutsToWidth(window, area.width());
        // Taller than the area: its pages close up, so that the buttons at the bottom stay on
        // the screen; it takes the height it then asks for.
        if (tall)
            FitLayoutsToHeight(window, area.height());
        // The least size it took before is no longer needed.
        const QSize least = window->minimumSizeHint();
        const QSize wish = window->sizeHint();
        window->setMinimumSize(least);
        // Pages that let go in one direction ask for their scroll bar in the other: room for
        // it, where the area has it.
        const QSize bars = (wish - wishBefore).expandedTo(QSize(0, 0));
        fitted.setWidth(wide ? std::max(least.width(), room.width())
                             : std::min(room.width(), fitted.width() + bars.width()));
        fitted.setHeight(tall ? std::max(least.height(), std::min(wish.height(), room.height()))
                              : std::min(room.height(), fitted.height() + bars.height()));
    } else {
        fitted = fitted.boundedTo(room);
    }
    if (fixed)
        window->setFixedSize(fitted);
    else
        window->resize(fitted);
}

} // namespace runtime
