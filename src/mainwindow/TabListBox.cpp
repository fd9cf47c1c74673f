#include "TabListBox.h"

#include "runtime/Colors.h"
#include "runtime/FocusFrame.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {
class TabDelegate : public QStyledItemDelegate {
public:
    explicit TabDelegate(TabListBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
        p->save();
        p->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                       : QPalette::Text));
        const QStringList columns = text.split(QLatin1Char('\t'));
        const QList<int> xs = list_->ColumnPositions(text);
        for (int i = 0; i < columns.size(); ++i) {
            const QRect r(opt.rect.left() + 2 + xs[i], opt.rect.top(), opt.rect.width(),
                          opt.rect.height());
            p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter, columns[i]);
        }
        p->restore();
        DrawItemFocusFrame(p, opt);
    }

private:
    TabListBox* list_;
};
} // namespace

TabListBox::TabListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TabDelegate(this));
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QList<int> TabListBox::ColumnPositions(const QString& text) const {
    const QFontMetrics fm(font());
    const double unit = fm.averageCharWidth() / 4.0;
    QList<int> xs;
    int x = 0;
    int stop = 0;
    const QStringList columns = text.split(QLatin1Char('\t'));
    for (int i = 0; i < columns.size(); ++i) {
        if (i > 0) {
            // The first stop to the right of what is drawn; past the last, whole stop widths.
            int next = -1;
            while (stop < stops_.size()) {
                const int sx = int(stops_[stop++] * unit + 0.5);
                if (sx > x) {
                    next = sx;
                    break;
                }
            }
            if (next < 0)
                next = x + int(8 * 4 * unit);
            x = next;
        }
        xs.append(x);
        x += fm.horizontalAdvance(columns[i]);
    }
    return xs;
}

QString TabListBox::List(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

void TabListBox::SetColors(std::int32_t foreColor, std::int32_t backColor) {
    QPalette pal = palette();
    pal.setColor(QPalette::Text, TranslateColor(foreColor));
    pal.setColor(QPalette::Base, TranslateColor(backColor));
    setPalette(pal);
}
