// The Qiblah dial: a needle towards the Qiblah, the small Kaaba near its tip, and the bearing
// as text in degrees clockwise from north or in quadrant notation.
#include "frmTallix.h"

#include "core/clockface.h"
#include "core/settings.h"
#include "platform/prayerdll.h"
#include "runtime/Convert.h"

#include <QGroupBox>
#include <QLabel>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979;

QString degrees(double v) {
    return Format(v, QStringLiteral("0.00")) + QStringLiteral("\u00B0 ");
}
} // namespace

void frmTallix::UpdateQiblahLabel() {
    if (!lblQiblah)
        return;
    const double q = dQiblahBearing;
    const double a = std::fabs(q);
    QString text;
    const auto modeZero = [&]() -> QString {
        if (q > -180 && q <= 0)
            return degrees(a) + sClockwiseNorth;
        if (q > 0 && q <= 180)
            return degrees(360 - a) + sClockwiseNorth;
        if (q > 180)
            return degrees(q) + sCounterClockwiseNorth;
        return degrees(a) + sClockwiseNorth;
    };
    if (!QiblahKnown) {
        text = sNotAvailable; // no library, no bearing: nothing is made up
    } else if (gCoordinateSystem == 0) {
        text = modeZero();
    } else if (gCoordinateSystem == 1) {
        const QChar blank(QLatin1Char(' '));
        if (q >= -180 && q < -90)
            text = sSouth + blank + degrees(180 - a) + sEast;
        else if (q >= -90 && q <= 0)
            text = sNorth + blank + degrees(a) + sEast;
        else if (q > 0 && q < 90)
            text = sNorth + blank + degrees(a) + sWest;
        else if (q >= 90 && q <= 180)
            text = sSouth + blank + degrees(180 - a) + sWest;
        else
            text = modeZero();
    } else {
        return;
    }
    lblQiblah->setText(text);
}

void frmTallix::DrawQiblah(Location& loc) {
    if (!picQiblah)
        return;
    picQiblah->Cls();
    DrawClockFace(picQiblah, gColorFace);
    const double w = picQiblah->ScaleWidth();
    const double h = picQiblah->ScaleHeight();
    LQ->BorderColor = gColorHands;
    LQ->X1 = w / 2;
    LQ->Y1 = h / 2;
    const auto bearing = TallixTimeDll::getNorthQibla(loc);
    QiblahKnown = bearing.has_value();
    if (bearing)
        dQiblahBearing = *bearing;
    const double q = dQiblahBearing;
    LQ->Visible = QiblahKnown;
    if (imgKabaaDirection)
        imgKabaaDirection->setVisible(QiblahKnown);
    UpdateQiblahLabel();
    lblQiblah->adjustSize();
    lblQiblah->setToolTip(picQiblahLabel->width() - 10 <= lblQiblah->width() ? lblQiblah->text()
                                                                             : QString());
    // A bearing counts counter-clockwise from north; on screen the needle turns clockwise.
    const double theta = (-q - 90) * kPi / 180;
    const double x2 = w / 2 + (w / 2) * 0.95 * std::cos(theta);
    const double y2 = h / 2 + (h / 2) * 0.95 * std::sin(theta);
    LQ->X2 = x2;
    LQ->Y2 = y2;
    if (!QiblahKnown)
        return;
    // The tip: a small disc in the needle's colour.
    const auto fillStyle = picQiblah->FillStyle;
    const auto fillColor = picQiblah->FillColor;
    picQiblah->FillStyle = vbFSSolid;
    picQiblah->FillColor = gColorHands;
    picQiblah->Circle(x2, y2, h / 20, gColorHands);
    picQiblah->FillStyle = fillStyle;
    picQiblah->FillColor = fillColor;

    // The small Kaaba stands just beyond the needle's tip, outside the dial.
    if (imgKabaaDirection) {
        const QPoint centre = picQiblah->geometry().center();
        const QPointF dir(std::cos(theta), std::sin(theta));
        // Beyond the compass letters around the dial.
        const double reach = picQiblah->width() / 2.0 + fontMetrics().height() +
                             imgKabaaDirection->width() / 2.0 + 2;
        QPointF at = QPointF(centre) + dir * reach;
        imgKabaaDirection->move(int(at.x() - imgKabaaDirection->width() / 2.0),
                                int(at.y() - imgKabaaDirection->height() / 2.0));
    }
}
