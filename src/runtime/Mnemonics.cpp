#include "Mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

QString OneMnemonic(const QString& caption) {
    // The marks: a single "&" before a character ("&&" is a written "&").
    QList<qsizetype> marks;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            marks.append(i);
        ++i;
    }
    if (marks.size() < 2)
        return caption;
    QString one = caption;
    for (qsizetype k = marks.size() - 2; k >= 0; --k)
        one.remove(marks[k], 1);
    return one;
}

void KeepOneMnemonic(QWidget* window) {
    const auto fix = [](const QString& text, auto set) {
        if (const QString one = OneMnemonic(text); one != text)
            set(one);
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        fix(b->text(), [b](const QString& t) { b->setText(t); });
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy())
            fix(l->text(), [l](const QString& t) { l->setText(t); });
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        fix(g->title(), [g](const QString& t) { g->setTitle(t); });
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            fix(tabs->tabText(i), [tabs, i](const QString& t) { tabs->setTabText(i, t); });
    for (QAction* a : window->findChildren<QAction*>())
        fix(a->text(), [a](const QString& t) { a->setText(t); });
}
