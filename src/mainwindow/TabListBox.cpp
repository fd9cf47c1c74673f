#include "TabListBox.h"

#include "runtime/Colors.h"
#include "runtime/FocusFrame.h"

#include <algorithm>

#include <QPainter>
#include <QScrollBar>
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
        const int left = opt.rect.left() + 2 - list_->DrawOffset();
        for (int i = 0; i < columns.size(); ++i) {
            const QRect r(left + xs[i], opt.rect.top(), opt.rect.width(), opt.rect.height());
            p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter, columns[i]);
        }
        p->restore();
        DrawItemFocusFrame(p, opt);
    }

    // As wide as the row's columns, so rows wider than the list make it scroll sideways.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        // A title wider than the rows widens them, so the scrolling reaches its end too.
        size.setWidth(
            std::max(list_->RowWidth(index.data(Qt::DisplayRole).toString()), list_->TitleWidth()));
        return size;
    }

private:
    TabListBox* list_;
};
} // namespace

TabListBox::TabListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TabDelegate(this));
    // Rows differ in width (a time marked "*"): each row's own width counts for the scrolling.
    setUniformItemSizes(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

double TabListBox::unit() const {
    const QFontMetrics fm(font());
    static const QString latin =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double letters = fm.horizontalAdvance(latin) / double(latin.size());
    return std::min(double(fm.averageCharWidth()), letters) / 4.0;
}

int TabListBox::RowWidth(const QString& text) const {
    const QList<int> xs = ColumnPositions(text);
    const QString last = text.section(QLatin1Char('\t'), -1);
    return 2 + xs.last() + QFontMetrics(font()).horizontalAdvance(last) + 4;
}

int TabListBox::TitleWidth() const {
    return title_ ? title_->RowsWidth() : 0;
}

int TabListBox::RowsWidth() const {
    int widest = TitleWidth();
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, RowWidth(item(i)->text()));
    return widest;
}

int TabListBox::ScrollBarRoom() const {
    const int view = width() - 2 * frameWidth() -
                     (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn
                          ? verticalScrollBar()->sizeHint().width()
                          : 0);
    return RowsWidth() > view ? horizontalScrollBar()->sizeHint().height() : 0;
}

void TabListBox::ScrollTitle(TabListBox* title) {
    title_ = title;
    title->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, title, &TabListBox::SetDrawOffset);
}

void TabListBox::SetDrawOffset(int pixels) {
    offset_ = pixels;
    viewport()->update();
}

QList<int> TabListBox::ColumnPositions(const QString& text) const {
    const QFontMetrics fm(font());
    const double unit = this->unit();
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
