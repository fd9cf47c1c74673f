#include "ScrollPage.h"

#include <QScrollBar>

ScrollPage::ScrollPage(QWidget* page, QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(page);
    // The controls of the page take the focus, never the area itself, which shows nothing of
    // its own; a control that takes it is scrolled into view.
    setFocusPolicy(Qt::NoFocus);
    // The scroll area paints the page's background; the tab's own shows through, as before.
    page->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

void ScrollPage::SetLetGo(bool letGo) {
    if (letGo_ == letGo)
        return;
    letGo_ = letGo;
    updateGeometry();
}

QSize ScrollPage::sizeHint() const {
    if (!widget())
        return QScrollArea::sizeHint();
    // Measured as polished, as the page will be when it shows.
    widget()->ensurePolished();
    const QSize page = widget()->sizeHint();
    if (!letGo_)
        return page;
    // Let go, it scrolls in one direction or both: room for both scroll bars beside the page,
    // so that a bar in one direction takes nothing of the page in the other.
    return page + QSize(verticalScrollBar()->sizeHint().width(),
                        horizontalScrollBar()->sizeHint().height());
}

QSize ScrollPage::minimumSizeHint() const {
    if (letGo_ || !widget())
        return QScrollArea::minimumSizeHint();
    widget()->ensurePolished();
    return widget()->minimumSizeHint().expandedTo(widget()->minimumSize());
}

bool ScrollPage::hasHeightForWidth() const {
    return !letGo_ && widget() && widget()->hasHeightForWidth();
}

int ScrollPage::heightForWidth(int width) const {
    return hasHeightForWidth() ? widget()->heightForWidth(width)
                               : QScrollArea::heightForWidth(width);
}
