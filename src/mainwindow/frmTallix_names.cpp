// The main window's month and weekday names.
#include "frmTallix.h"

#include "core/datefmt.h"
#include "runtime/ErrObject.h"
#include "runtime/ResStrings.h"
#include "runtime/VBDate.h"

#include <QAction>
#include <QMenu>

namespace {

// Whether the text has a character that is its own upper case (ordinal comparison): a capital,
// or a character without case. A name in lower-case letters only has none.
bool hasUpperOrCaseless(const QString& s) {
    for (const QChar c : s) {
        const QString one(c);
        if (one.toUpper() == one)
            return true;
    }
    return false;
}

// The string-table entry into target, lower-cased when asked; an entry that cannot be loaded
// leaves target as it was.
void fill(QString& target, int id, bool lower) {
    if (!HasResString(id))
        return;
    const QString text = LoadResString(id);
    target = lower ? text.toLower() : text;
}

void caption(QAction* item, const QString& text) {
    if (item)
        item->setText(text);
}

} // namespace

void frmTallix::initDateNames() {
    const auto submenu = [this](QMenu*& menu, QAction** items) {
        menu = new QMenu(this);
        for (int m = 1; m <= 12; ++m)
            items[m] = menu->addAction(QString());
    };
    submenu(mnuExportGregorian, mnuExportMonthGregorian);
    submenu(mnuExportHijri, mnuExportMonthHijri);
    submenu(mnuPrintGregorian, mnuPrintMonthGregorian);
    submenu(mnuPrintHijri, mnuPrintMonthHijri);
}

bool frmTallix::IsMonthNameCapitalized() {
    const QString name = MonthName(1, false);
    if (name.isEmpty()) {
        Err.Clear();
        return true; // no name to judge by: the capitalised names
    }
    return hasUpperOrCaseless(name);
}

bool frmTallix::IsWeekdayNameCapitalized() {
    const QString name = WeekdayName(1, false, vbUseSystemDayOfWeek);
    if (name.isEmpty()) {
        Err.Clear();
        return true;
    }
    return hasUpperOrCaseless(name);
}

void frmTallix::TranslateDateNames() {
    const runtime::CalendarGuard keep;
    SetCalendar(vbCalGreg);

    // The names follow the locale's case only where they go into its patterns: in a locale of
    // the program's own language. Elsewhere they stand in the program's texts alone (calendar
    // titles, list rows, menus), capitalised as its language writes them.
    const bool ownLanguage = LocaleSpeaksProgramLanguage();
    const bool monthsCapital = !ownLanguage || IsMonthNameCapitalized();
    for (int m = 1; m <= 12; ++m) {
        const auto i = static_cast<std::size_t>(m);
        if (monthsCapital) {
            fill(gHijriMonthLong[i], 47 + m, false);
            fill(gGregorianMonthLong[i], 35 + m, false);
        } else {
            // Own lower-case entries: the Hijri names keep their upper-case Roman numerals.
            fill(gHijriMonthLong[i], 132 + m, false);
            fill(gGregorianMonthLong[i], 156 + m, false);
        }
        fill(gHijriMonthShort[i], 144 + m, !monthsCapital);
        fill(gGregorianMonthShort[i], 168 + m, !monthsCapital);
    }

    const bool weekdaysCapital = !ownLanguage || IsWeekdayNameCapitalized();
    for (int d = 1; d <= 7; ++d) {
        const auto i = static_cast<std::size_t>(d);
        fill(gDayNameLong[i], 418 + d, !weekdaysCapital);
        fill(gDayNameShort[i], 425 + d, !weekdaysCapital);
        fill(gDayNameInitial[i], 432 + d, !weekdaysCapital);
    }

    for (int m = 1; m <= 12; ++m) {
        const auto i = static_cast<std::size_t>(m);
        caption(mnuExportMonthHijri[m], gHijriMonthLong[i]);
        caption(mnuExportMonthGregorian[m], gGregorianMonthLong[i]);
        caption(mnuPrintMonthHijri[m], gHijriMonthLong[i]);
        caption(mnuPrintMonthGregorian[m], gGregorianMonthLong[i]);
    }
}
