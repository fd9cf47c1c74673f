// The main window's analog clock, its tooltips and its system queries.
#include "frmTallix.h"

#include "core/clockface.h"
#include "core/mAPI.h"
#include "core/settings.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"
#include "runtime/Convert.h"

void frmTallix::createClockControls() {
    picClock = new PictureBox(this);
    picClock->setObjectName(QStringLiteral("picClock"));
    // The top-left corner is the clock's; the Kaaba picture sits to its right.
    picClock->setGeometry(10, 10, 150, 150);
    picClock->SetBackColor(vbButtonFace);
    picClock->ForeColor = vbWindowText;
    picClock->FillStyle = vbFSSolid;
    picClock->DrawWidth = 1;

    LH = new LineShape(picClock, QStringLiteral("LH"));
    LH->BorderWidth = 3;
    LM = new LineShape(picClock, QStringLiteral("LM"));
    LM->BorderWidth = 2;
    LS = new LineShape(picClock, QStringLiteral("LS"));
    LS->BorderWidth = 1;

    connect(picClock, &PictureBox::MouseUp, this, &frmTallix::picClock_MouseUp);

    if (ttMain.Create(this)) {
        ttMain.MaxTipWidth(40);
        ttMain.DelayTime(TTDT_AUTOPOP, 30000);
        ttMain.ToolTipHeaderShow(false);
    }

    DrawClock();
}

void frmTallix::DrawClock() {
    if (!picClock)
        return;
    picClock->Cls();
    DrawClockFace(picClock, gColorFace);
    LH->BorderColor = gColorHands;
    LM->BorderColor = gColorHands;
    LS->BorderColor = gColorSeconds;
    const QTime now = Now().time();
    SetClockHands(static_cast<std::int16_t>(now.hour()), static_cast<std::int16_t>(now.minute()),
                  static_cast<std::int16_t>(now.second()));
}

void frmTallix::SetClockHands(std::int16_t h, std::int16_t m, std::int16_t s) {
    if (!picClock)
        return;
    SetDialHands(*picClock, *LH, *LM, *LS, h, m, s);
}

void frmTallix::picClock_MouseUp(int Button, int, double, double) {
    if (Button == vbLeftButton)
        OpenDateTimeControlPanel(0);
}
