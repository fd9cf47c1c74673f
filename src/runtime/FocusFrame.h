#pragma once
// The keyboard focus in a list, shown whatever the style does: the current item of a list that
// has the focus is drawn inside a frame (many styles draw the focus only after a Tab key, or
// never, and a selected row then looks the same whether the list has the focus or not).
#include <QStyledItemDelegate>

class QAbstractItemView;

// Draws the frame over an item when the option says it is the current item of a focused list.
void DrawItemFocusFrame(QPainter* painter, const QStyleOptionViewItem& option);

// A list's items as the style draws them, with the focus frame over the current one.
class FocusFrameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// Gives the list the focus frame (a delegate of its own).
void ShowListFocus(QAbstractItemView* view);

// From now on the forms show where the keyboard focus is however it came there: the style's
// own mark (a combo box's outline, a focus rectangle) stays after a click too, where styles
// show it only after a Tab key.
void KeepKeyboardFocusShown();
