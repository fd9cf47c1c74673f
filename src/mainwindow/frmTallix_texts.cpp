// The window's texts from the string table: control captions, list headers and tab stops,
// and the string members the display, tray and notification code read later.
#include "frmTallix.h"

#include "TabListBox.h"
#include "calendar/mCalendar.h"
#include "runtime/ResStrings.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

namespace {
// Sets a text only when the table holds it, so a missing entry keeps the layout's text.
void setText(QString& target, int id) {
    if (HasResString(id))
        target = LoadResString(id);
}
} // namespace

void frmTallix::TranslateForm() {
    setText(sAppTitle, 0);
    setText(sReminderTitle, 473);

    QStringList header;
    for (int id : {405, 4, 5, 6, 7, 8, 9})
        header << LoadResString(id);
    for (TabListBox* title : lstTitle) {
        if (!title)
            continue;
        title->SetTabStops({6, 44, 75, 117, 157, 190, 231});
        title->Clear();
        title->AddItem(header.join(QLatin1Char('\t')));
    }
    for (TabListBox* list : {lstMonthlyPrayerTimes, lstYearlyPrayerTimes})
        if (list)
            list->SetTabStops({3, 41, 79, 117, 155, 193, 231});

    if (fraClock)
        fraClock->setTitle(LoadResString(1));
    if (fraMonthly)
        SetControlToolTip(ttMain, fraMonthly, LoadResStringLines(2));
    if (fraNextPrayerIn)
        fraNextPrayerIn->setTitle(LoadResString(3));
    const int prayerIds[7] = {0, 4, 5, 0, 7, 8, 9};
    for (int i : {1, 2, 4, 5, 6})
        if (fraPrayer[i])
            fraPrayer[i]->setTitle(LoadResString(prayerIds[i]));
    if (fraQiblah)
        fraQiblah->setTitle(LoadResString(10));
    const int compassIds[4] = {12, 11, 13, 14}; // N, E, S, W
    for (int i = 0; i < 4; ++i)
        if (lblCompass[i])
            lblCompass[i]->setText(LoadResString(compassIds[i]));
    if (tabMain)
        for (int i = 0; i < 3 && i < tabMain->count(); ++i)
            tabMain->setTabText(i, LoadResString(85 + i));

    TranslateDateNames();

    setText(sDhuhr, 6);
    setText(sDhuhrJomaa, 98);
    for (int i = 1; i <= 6; ++i)
        setText(sWindowCaption[i], 98 + i);
    setText(sClockwiseNorth, 105);
    setText(sCounterClockwiseNorth, 106);
    for (int i = 1; i <= 6; ++i)
        setText(sCountdownPrefix[i], i == 2 ? 107 : 108);
    setText(sHourSymbol, 109);
    setText(sMinuteSymbol, 110);
    setText(sMinuteAbbrev, 111);
    setText(sSecondSymbol, 112);
    setText(sNotAvailable, 113);
    for (int i = 1; i <= 6; ++i)
        sPrayerDescription[i] = LoadResStringLines(113 + i);
    sExtremeLatitudeNote = LoadResStringLines(120);
    const int trayIds[7] = {0, 126, 121, 122, 123, 124, 125};
    for (int i = 1; i <= 6; ++i)
        setText(sTrayTipPrefix[i], trayIds[i]);
    const int athanIds[7] = {0, 131, 127, 0, 128, 129, 130};
    for (int i = 1; i <= 6; ++i)
        if (athanIds[i])
            setText(sAthanMessage[i], athanIds[i]);
    for (int i = 1; i <= 6; ++i) {
        setText(sReminderBeforeText[i], 473 + i);
        setText(sReminderAfterText[i], 479 + i);
    }
    setText(sExitQuestion, 132);
    for (std::size_t k = 0; k < gIslamicEventNames.size(); ++k)
        setText(gIslamicEventNames[k], 181 + static_cast<int>(k));
    if (HasResString(387))
        sTextFileFilter = LoadResString(387).replace(QLatin1String("<NULL>"), QString(QChar(0))) +
                          QChar(0) + QChar(0);
    setText(sScheduleTitle, 388);
    setText(sVolumeText, 390);
    setText(sMutedText, 391);
    setText(sTimeRemainingText, 392);
    setText(sNorth, 393);
    setText(sEast, 394);
    setText(sSouth, 395);
    setText(sWest, 396);
}
