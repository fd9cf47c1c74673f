#include "FocusFrame.h"

#include "Form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

void DrawItemFocusFrame(QPainter* painter, const QStyleOptionViewItem& option) {
    if (!(option.state & QStyle::State_HasFocus))
        return;
    // On the selection's colour in its text colour, elsewhere in the selection's colour: a
    // dotted line on the item's edge, clear of its text and of the neighbouring rows.
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QColor color = option.palette.color(group, option.state & QStyle::State_Selected
                                                         ? QPalette::HighlightedText
                                                         : QPalette::Highlight);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(color, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void FocusFrameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    DrawItemFocusFrame(painter, option);
}

void ShowListFocus(QAbstractItemView* view) {
    view->setItemDelegate(new FocusFrameDelegate(view));
}

void KeepKeyboardFocusShown() {
    static bool connected = false;
    if (connected || !qApp)
        return;
    connected = true;
    // The style reads the window's mark of a keyboard focus change; a click clears it before
    // the new focus is announced, and the widgets repaint after.
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
        if (now && qobject_cast<Form*>(now->window()))
            now->window()->setAttribute(Qt::WA_KeyboardFocusChange, true);
    });
}
