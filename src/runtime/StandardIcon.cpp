#include "StandardIcon.h"

#include <QApplication>
#include <QHash>
#include <QPointer>

QIcon StandardIcon(QStyle::StandardPixmap which) {
    static QPointer<QStyle> madeBy;
    static QHash<int, QIcon> icons;
    QStyle* style = QApplication::style();
    if (!style)
        return {};
    // A style deleted leaves the pointer null, so one made at the same address is new too.
    if (madeBy != style) {
        icons.clear();
        madeBy = style;
    }
    auto it = icons.constFind(int(which));
    if (it == icons.constEnd())
        it = icons.insert(int(which), style->standardIcon(which));
    return *it;
}
