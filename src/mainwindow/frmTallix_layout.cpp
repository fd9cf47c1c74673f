// The window's layout: toolbar, the tab control with the daily, monthly and yearly pages, and
// the status area. Sizes follow the font, so every text fits at any screen resolution.
#include "frmTallix.h"

#include "TabListBox.h"
#include "cProgressBar.h"
#include "calendar/mCalendar.h"
#include "core/datefmt.h"
#include "core/settings.h"
#include "runtime/Colors.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

namespace {
template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// The widest texts of the time labels: "88:88:88 PM", and where the locale's own designators
// stand in the times, the window's time pattern in the morning and the evening with every
// digit an 8.
QStringList widestTimes() {
    QStringList times{QStringLiteral("88:88:88 PM")};
    if (LocaleSpeaksProgramLanguage())
        return times;
    for (const int hour : {10, 22}) {
        QString t = Format(Date::fromTime(QTime(hour, 58, 58)),
                           gTimeFormat.isEmpty() ? QStringLiteral("Long Time") : gTimeFormat);
        for (QChar& c : t)
            if (c.isDigit())
                c = u'8';
        times << t;
    }
    return times;
}

PictureBox* dial(QWidget* parent, const QString& name) {
    auto* pic = named(new PictureBox(parent), name);
    pic->SetBackColor(vbButtonFace);
    pic->ForeColor = vbWindowText;
    pic->FillStyle = vbFSSolid;
    pic->SetScaleMode(vbPixels);
    return pic;
}
} // namespace

void frmTallix::createDayControls() {
    tabMain = named(new QTabWidget(this), QStringLiteral("tabMain"));
    auto* daily = new QWidget;
    auto* monthly = new QWidget;
    auto* yearly = new QWidget;
    tabMain->addTab(daily, QStringLiteral(" &Daily"));
    tabMain->addTab(monthly, QStringLiteral(" &Monthly"));
    tabMain->addTab(yearly, QStringLiteral(" &Yearly"));

    fraToday = named(new QGroupBox(daily), QStringLiteral("fraToday"));
    for (int i = 1; i <= 6; ++i) {
        fraPrayer[i] = named(new QGroupBox(fraToday), QStringLiteral("fraPrayer%1").arg(i));
        fraPrayer[i]->setAlignment(Qt::AlignHCenter);
        picPrayer[i] = dial(fraPrayer[i], QStringLiteral("picPrayer%1").arg(i));
        LHP[i] = new LineShape(picPrayer[i], QStringLiteral("LHP%1").arg(i));
        LHP[i]->BorderWidth = 2;
        LMP[i] = new LineShape(picPrayer[i], QStringLiteral("LMP%1").arg(i));
        LMP[i]->BorderWidth = 2;
        LSP[i] = new LineShape(picPrayer[i], QStringLiteral("LSP%1").arg(i));
        lblPrayer[i] = named(new QLabel(fraPrayer[i]), QStringLiteral("lblPrayer%1").arg(i));
        lblPrayer[i]->setAlignment(Qt::AlignCenter);
    }
    txtPrayerTime = named(new QLineEdit(fraToday), QStringLiteral("txtPrayerTime"));
    txtPrayerTime->setReadOnly(true);
    txtPrayerTime->setFocusPolicy(Qt::NoFocus);
    txtPrayerTime->setAlignment(Qt::AlignCenter);
    txtPrayerTime->setFrame(false);
    txtPrayerTime->hide();

    fraClock = named(new QGroupBox(daily), QStringLiteral("fraClock"));
    picClock->setParent(fraClock);
    lblTime = named(new QLabel(fraClock), QStringLiteral("lblTime"));
    lblTime->setAlignment(Qt::AlignCenter);
    imgKabaa->setParent(daily);

    fraNextPrayerIn = named(new QGroupBox(daily), QStringLiteral("fraNextPrayerIn"));
    lblNextPrayerIn = named(new QLabel(fraNextPrayerIn), QStringLiteral("lblNextPrayerIn"));
    lblNextPrayerIn->setAlignment(Qt::AlignCenter);
    QFont big = lblNextPrayerIn->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblNextPrayerIn->setFont(big);
    picNextPrayerIn[0] = named(new QWidget(fraNextPrayerIn), QStringLiteral("picNextPrayerIn0"));

    fraQiblah = named(new QGroupBox(daily), QStringLiteral("fraQiblah"));
    picQiblah = dial(fraQiblah, QStringLiteral("picQiblah"));
    LQ = new LineShape(picQiblah, QStringLiteral("LQ"));
    LQ->BorderWidth = 2;
    imgKabaaDirection = named(new Image(fraQiblah), QStringLiteral("imgKabaaDirection"));
    imgKabaaDirection->SetPicture(LoadPicture(QStringLiteral(":/pictures/qiblah-kaaba.png")));
    imgKabaaDirection->adjustSize();
    const char* compass[4] = {"lblNorth", "lblEast", "lblSouth", "lblWest"};
    for (int i = 0; i < 4; ++i) {
        lblCompass[i] = named(new QLabel(fraQiblah), QString::fromLatin1(compass[i]));
        lblCompass[i]->setAlignment(Qt::AlignCenter);
    }
    picQiblahLabel = named(new QWidget(fraQiblah), QStringLiteral("picQiblahLabel"));
    lblQiblah = named(new QLabel(picQiblahLabel), QStringLiteral("lblQiblah"));
    lblQiblah->setText(QStringLiteral("0.00\u00B0 Counter-Clockwise North"));

    fraMonthly =
        named(new QGroupBox(QStringLiteral("Monthly View"), monthly), QStringLiteral("fraMonthly"));
    fraYearly = named(new QGroupBox(yearly), QStringLiteral("fraYearly"));
    lstTitle[0] = named(new TabListBox(fraMonthly), QStringLiteral("lstTitle0"));
    lstMonthlyPrayerTimes =
        named(new TabListBox(fraMonthly), QStringLiteral("lstMonthlyPrayerTimes"));
    lstTitle[1] = named(new TabListBox(fraYearly), QStringLiteral("lstTitle1"));
    lstYearlyPrayerTimes = named(new TabListBox(fraYearly), QStringLiteral("lstYearlyPrayerTimes"));
    for (TabListBox* title : lstTitle) {
        title->setSelectionMode(QAbstractItemView::NoSelection);
        title->setFocusPolicy(Qt::NoFocus);
        title->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    lstMonthlyPrayerTimes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstYearlyPrayerTimes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lstMonthlyPrayerTimes->ScrollTitle(lstTitle[0]);
    lstYearlyPrayerTimes->ScrollTitle(lstTitle[1]);

    staMain = named(new QWidget(this), QStringLiteral("staMain"));
    picGlobe = named(new Image(staMain), QStringLiteral("picGlobe"));
    picGlobe->SetPicture(LoadPicture(QStringLiteral(":/pictures/globe.png")));
    picGlobe->adjustSize();
    picLocation = named(new QWidget(staMain), QStringLiteral("picLocation"));
    auto* pin = named(new Image(picLocation), QStringLiteral("imgLocation"));
    pin->SetPicture(LoadPicture(QStringLiteral(":/pictures/location.png")));
    pin->setGeometry(0, 3, 16, 16);
    lblLocation = named(new QLabel(picLocation), QStringLiteral("lblLocation"));
    picNextPrayerIn[1] = named(new QWidget(staMain), QStringLiteral("picNextPrayerIn1"));

    for (int i = 0; i < 2; ++i) {
        ProgressBars[i] = new cProgressBar(this);
        ProgressBars[i]->SetDrawObject(picNextPrayerIn[i]);
        ProgressBars[i]->SetBackColor(gColorFace);
        ProgressBars[i]->SetBarColor(gColorFaceHighlight);
    }

    tmrMain = new runtime::SecondTimer(this);
    tmrMain->setObjectName(QStringLiteral("tmrMain"));
    connect(tmrMain, &QTimer::timeout, this, &frmTallix::tmrMain_Timer);
    tmrFlash = new QTimer(this);
    tmrFlash->setObjectName(QStringLiteral("tmrFlash"));
}

void frmTallix::placeControls() {
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int gap = 6;
    const int frameTop = line + 4; // room for a group box's caption

    // Six prayer panels side by side, each wide enough for its caption and a long time.
    const QStringList times = widestTimes();
    int panelW = 0;
    for (const QString& s :
         times + QStringList{QStringLiteral("Dhuhr/Jomaa *"), QStringLiteral("Maghrib *")})
        panelW = std::max(panelW, fm.horizontalAdvance(s) + 14);
    const int dialSize = std::max(44, panelW - 30);
    const int panelH = frameTop + dialSize + gap + line + 8;
    for (int i = 1; i <= 6; ++i) {
        fraPrayer[i]->setGeometry(gap + (i - 1) * (panelW + gap), frameTop, panelW, panelH);
        picPrayer[i]->setGeometry((panelW - dialSize) / 2, frameTop, dialSize, dialSize);
        lblPrayer[i]->setGeometry(3, frameTop + dialSize + gap, panelW - 6, line + 4);
    }
    const int innerW = 6 * panelW + 7 * gap;
    fraToday->setGeometry(gap, gap, innerW, frameTop + panelH + gap);

    // The clock with its digital time, the Kaaba picture, the countdown beside them.
    const int clockSize = 100;
    int clockW = clockSize + 16;
    for (const QString& s : times)
        clockW = std::max(clockW, fm.horizontalAdvance(s) + 16);
    const int rowTop = fraToday->geometry().bottom() + gap;
    fraClock->setGeometry(gap, rowTop, clockW, frameTop + clockSize + gap + line + 10);
    picClock->setGeometry((clockW - clockSize) / 2, frameTop, clockSize, clockSize);
    lblTime->setGeometry(4, frameTop + clockSize + gap, clockW - 8, line + 4);
    const int rowH = fraClock->height();
    imgKabaa->setGeometry(fraClock->geometry().right() + gap, rowTop + (rowH - 120) / 2 + 4, 160,
                          120);
    const int nextLeft = imgKabaa->geometry().right() + gap;
    const int nextW = gap + innerW - nextLeft;
    fraNextPrayerIn->setGeometry(nextLeft, rowTop, nextW, rowH);
    const QFontMetrics bigFm(lblNextPrayerIn->font());
    lblNextPrayerIn->setGeometry(4, frameTop + 8, nextW - 8, bigFm.height() + 6);
    picNextPrayerIn[0]->setGeometry(10, rowH - 34, nextW - 20, 18);

    // The Qiblah dial with its compass letters, the Kaaba near the needle, the bearing.
    const int qTop = fraClock->geometry().bottom() + gap;
    const int qSize = 110;
    const int kaaba = std::max(imgKabaaDirection->width(), 24);
    const int qH = frameTop + kaaba + line + qSize + line + kaaba + gap;
    fraQiblah->setGeometry(gap, qTop, innerW, qH);
    const int cx = innerW / 2 - qSize / 2;
    const int cy = frameTop + kaaba + line;
    picQiblah->setGeometry(cx, cy, qSize, qSize);
    lblCompass[0]->setGeometry(cx, cy - line - 2, qSize, line);  // N
    lblCompass[1]->setGeometry(cx + qSize + 2, cy, line, qSize); // E
    lblCompass[2]->setGeometry(cx, cy + qSize + 2, qSize, line); // S
    lblCompass[3]->setGeometry(cx - line - 2, cy, line, qSize);  // W
    // The bearing on one line, across the top left of the frame up to the dial's column, above
    // the west letter (the small Kaaba never comes up that far).
    const int labelW = std::max(cx - 2 * gap, 60);
    picQiblahLabel->setGeometry(gap, frameTop, labelW, line + 2);
    lblQiblah->setGeometry(0, 0, labelW, line + 2);
    lblQiblah->setWordWrap(false);
    lblQiblah->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Monthly page: room for the two month calendars (left 9 and 215 pixels), then the list.
    const int pageW = innerW + 2 * gap;
    fraMonthly->setGeometry(gap, gap, innerW, 40);
    const int rowLine = line + 6;
    const int calendarH = 200;
    placeCalendarControls(frameTop, calendarH);
    // The lists fill their frames, which are as wide as the day's panels: the lists never
    // widen the window, and rows wider than a list (a wide font) scroll sideways.
    const int listW = innerW - 2 * gap;
    lstTitle[0]->setGeometry(gap, frameTop + calendarH + gap, listW, rowLine);
    placeMonthlyList();

    const int pageH = fraQiblah->geometry().bottom() + gap;
    fraYearly->setGeometry(gap, gap, innerW, pageH - 2 * gap);
    lstTitle[1]->setGeometry(gap, frameTop, listW, rowLine);
    lstYearlyPrayerTimes->setGeometry(gap, frameTop + rowLine + 1, listW,
                                      fraYearly->height() - frameTop - rowLine - gap);

    // The menu bar along the top, the toolbar under it.
    const int menuH = mnuBar ? mnuBar->sizeHint().height() : 0;
    if (mnuBar)
        mnuBar->setGeometry(0, 0, pageW, menuH);
    tlbMain->setGeometry(0, menuH, pageW, tlbMain->sizeHint().height());
    const int top = tlbMain->geometry().bottom() + 1;
    tabMain->setGeometry(0, top + 2, pageW, pageH + tabMain->tabBar()->sizeHint().height() + 4);

    const int staH = std::max(line + 8, 22);
    staMain->setGeometry(0, tabMain->geometry().bottom() + 3, tabMain->width(), staH);
    picGlobe->setGeometry(4, (staH - 16) / 2, 16, 16);
    picNextPrayerIn[1]->setGeometry(staMain->width() - 124, 4, 120, staH - 8);
    picLocation->setGeometry(26, 0, staMain->width() - 26 - 130, staH);
    lblLocation->setGeometry(20, 0, picLocation->width() - 20, staH);
    tlbMain->resize(tabMain->width(), tlbMain->height());
    ResizeForm();
}

void frmTallix::placeMonthlyList() {
    if (!lstTitle[0] || !lstMonthlyPrayerTimes || !fraMonthly)
        return;
    // One row under its title, and room for the sideways scroll bar when the row needs it.
    const int row = QFontMetrics(font()).height() + 6;
    lstMonthlyPrayerTimes->setGeometry(lstTitle[0]->x(), lstTitle[0]->geometry().bottom() + 1,
                                       lstTitle[0]->width(), row);
    lstMonthlyPrayerTimes->resize(lstTitle[0]->width(),
                                  row + lstMonthlyPrayerTimes->ScrollBarRoom());
    fraMonthly->resize(fraMonthly->width(), lstMonthlyPrayerTimes->geometry().bottom() + 6);
}

void frmTallix::ResetTab() {
    if (!tabMain || !ProgressBars[1])
        return;
    // A title row and the month's list are one line high; the year's list fills its frame.
    const int row = QFontMetrics(font()).height() + 6;
    const int tab = tabMain->currentIndex();
    if (tab == 1) {
        lstTitle[0]->resize(lstTitle[0]->width(), row);
        placeMonthlyList();
    } else if (tab == 2) {
        lstTitle[1]->resize(lstTitle[1]->width(), row);
        lstYearlyPrayerTimes->setGeometry(
            lstTitle[1]->x(), lstTitle[1]->geometry().bottom() + 1, lstTitle[1]->width(),
            fraYearly->height() - lstTitle[1]->geometry().bottom() - 7);
    }
    ProgressBars[1]->SetBackColor(gColorFace);
    ProgressBars[1]->SetBarColor(tab == 2 ? vbHighlight : gColorFaceHighlight);
    if (tab == 1)
        ShowCalendarDate(gDisplayHijraa, 0, 0, 0);
}

void frmTallix::ResizeForm() {
    if (!tabMain || !fraQiblah)
        return;
    // Without the Qiblah panel the tab control and the window are shorter by its height.
    const int tabs = tabMain->tabBar()->sizeHint().height() + 4;
    const int full = fraQiblah->y() + fraQiblah->height() + 6 + tabs;
    const int shortH = fraQiblah->y() + tabs;
    fraQiblah->setVisible(gDisplayKabaa == 1);
    tabMain->resize(tabMain->width(), gDisplayKabaa == 1 ? full : shortH);
    // The year's frame and list fill the page, whichever height it has now.
    if (fraYearly && lstYearlyPrayerTimes && lstTitle[1]) {
        fraYearly->resize(fraYearly->width(), (gDisplayKabaa == 1 ? full : shortH) - tabs - 12);
        lstYearlyPrayerTimes->resize(lstYearlyPrayerTimes->width(),
                                     fraYearly->height() - lstTitle[1]->geometry().bottom() - 7);
    }
    staMain->move(0, tabMain->geometry().bottom() + 3);
    setFixedSize(tabMain->width(), staMain->geometry().bottom() + 1);
    SetObjectsToStatusBar();
    // A toolbar action still running (a dialog it opened) keeps the toolbar disabled.
    if (ToolbarActionDepth == 0)
        tlbMain->setEnabled(true);
}
