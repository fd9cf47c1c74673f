#include "OptionGroups.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

namespace {

// The buttons that exclude each other with this one, as Qt finds them for its arrow keys.
QList<QAbstractButton*> groupOf(QAbstractButton* button) {
    if (QButtonGroup* group = button->group())
        return group->exclusive() ? group->buttons() : QList<QAbstractButton*>{button};
    if (!button->autoExclusive() || !button->parentWidget())
        return {button};
    QList<QAbstractButton*> group = button->parentWidget()->findChildren<QAbstractButton*>();
    group.removeIf([](QAbstractButton* b) { return !b->autoExclusive() || b->group(); });
    return group;
}

void placeTabStop(QAbstractButton* button) {
    const QList<QAbstractButton*> group = groupOf(button);
    QAbstractButton* stop = nullptr;
    for (QAbstractButton* b : group)
        if (b->isCheckable() && b->isChecked() && b->isEnabled())
            stop = b;
    for (QAbstractButton* b : group) {
        if (!b->isCheckable())
            continue;
        const bool tab = !stop || b == stop;
        b->setFocusPolicy(Qt::FocusPolicy(tab ? b->focusPolicy() | Qt::TabFocus
                                              : b->focusPolicy() & ~Qt::TabFocus));
    }
}

} // namespace

void KeepTabOnCheckedOptions(QWidget* window) {
    for (QRadioButton* option : window->findChildren<QRadioButton*>()) {
        if (!option->property("tabOnChecked").toBool()) {
            option->setProperty("tabOnChecked", true);
            QObject::connect(option, &QAbstractButton::toggled, option, [option](bool on) {
                if (on)
                    placeTabStop(option);
            });
        }
        if (option->isChecked())
            placeTabStop(option);
    }
}
