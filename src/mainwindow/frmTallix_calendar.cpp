// The main window's two month calendars: their pictures, month scroll bars and moon pictures,
// the keys, clicks and scrolling on them, and the moon of the selected day.
#include "frmTallix.h"

#include "runtime/Clock.h"

#include "calendar/mCalendar.h"
#include "core/moon.h"
#include "core/settings.h"
#include "runtime/App.h"
#include "runtime/Convert.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <cmath>

namespace {

// The key codes the calendars know, from Qt's keys.
int keyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        return qtKey >= 0x20 && qtKey <= 0x5A ? qtKey : 0;
    }
}

// Hands the keys and pointer moves of a calendar picture to the window's handlers.
class CalendarInput : public QObject {
public:
    CalendarInput(frmTallix* window, int index, QObject* parent)
        : QObject(parent), window_(window), index_(index) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* pic = qobject_cast<PictureBox*>(watched);
        if (!pic)
            return false;
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int code = keyCode(key->key());
            if (code == 0)
                return false;
            window_->picCalendar_KeyDown(index_, code, ShiftCode(key->modifiers()));
            return true;
        }
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            // The focus frame comes and goes with the focus.
            if (pic->isVisible())
                DrawCalendarDays(static_cast<std::int16_t>(index_), pic);
            return false;
        }
        if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPointF at = pic->fromPixels(mouse->position());
            window_->picCalendar_MouseMove(index_, MouseButtonCode(mouse->button()),
                                           ShiftCode(mouse->modifiers()), at.x(), at.y());
        }
        return false;
    }

private:
    frmTallix* window_;
    int index_;
};

// A moon picture: the disc with `lit` (0..1) of it lit, the lit side on the right or left.
QPixmap drawMoon(double lit, bool litRight) {
    constexpr int kSize = 16;
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(kSize / 2.0, kSize / 2.0);
    const double r = kSize / 2.0 - 1;
    p.setPen(QPen(QColor(70, 70, 80), 1));
    p.setBrush(QColor(45, 45, 60));
    p.drawEllipse(c, r, r);
    // The lit part: a half disc, less or more the terminator's half ellipse.
    QPainterPath half;
    half.moveTo(c.x(), c.y() - r);
    half.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90, litRight ? -180 : 180);
    half.closeSubpath();
    QPainterPath terminator;
    const double rx = r * std::abs(1 - 2 * lit);
    terminator.addEllipse(c, rx, r);
    const QPainterPath shape = lit < 0.5 ? half.subtracted(terminator) : half.united(terminator);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 240, 190));
    p.drawPath(shape);
    return QPixmap::fromImage(img);
}

} // namespace

void frmTallix::createCalendarControls() {
    // Lit fractions of the twelve pictures, from new to full.
    constexpr std::array<double, 12> kLit = {0.0,   0.05,  0.105, 0.175, 0.245, 0.315,
                                             0.435, 0.575, 0.685, 0.795, 0.905, 1.0};
    for (std::size_t k = 0; k < kLit.size(); ++k) {
        imgIconMoonPhaseA[k] = StdPicture(drawMoon(kLit[k], true));
        imgIconMoonPhaseB[k] = StdPicture(drawMoon(kLit[k], false));
    }

    QFont font(QStringLiteral("Times New Roman"));
    font.setBold(true);
    font.setPointSizeF(9.75);
    for (int i = 0; i < 2; ++i) {
        auto* pic = new PictureBox(fraMonthly ? static_cast<QWidget*>(fraMonthly) : this);
        pic->setObjectName(QStringLiteral("picCalendar%1").arg(i));
        pic->setFont(font);
        pic->setFocusPolicy(Qt::StrongFocus);
        pic->setMouseTracking(true);
        pic->installEventFilter(new CalendarInput(this, i, pic));
        connect(pic, &PictureBox::MouseDown, this,
                [this, i](int Button, int Shift, double X, double Y) {
                    picCalendar_MouseDown(i, Button, Shift, X, Y);
                });
        picCalendar[static_cast<std::size_t>(i)] = pic;

        auto* hsb = new QScrollBar(Qt::Horizontal, pic);
        hsb->setObjectName(QStringLiteral("hsbCalendar%1").arg(i));
        hsb->setRange(-1, 1);
        hsb->setValue(0);
        hsb->setFocusPolicy(Qt::NoFocus);
        connect(hsb, &QScrollBar::valueChanged, this, [this, i] { hsbCalendar_Change(i); });
        hsbCalendar[static_cast<std::size_t>(i)] = hsb;

        auto* moon = new Image(pic);
        moon->setObjectName(QStringLiteral("imgMoonPhase%1").arg(i));
        moon->resize(16, 16);
        moon->hide();
        imgMoonPhase[static_cast<std::size_t>(i)] = moon;
    }
}

void frmTallix::placeCalendarControls(int top, int height) {
    // Twips of the window, so both calendars stand where the calendar code moves them.
    const int width = Screen.PixelsX(3000);
    for (int i = 0; i < 2; ++i) {
        if (PictureBox* pic = picCalendar[static_cast<std::size_t>(i)]) {
            const bool left = (i == 0) == (gDisplayHijraa != 1);
            pic->setGeometry(Screen.PixelsX(left ? 135 : 3220), top, width, height);
        }
    }
}

void frmTallix::picCalendar_KeyDown(int Index, int KeyCode, int) {
    if (Index < 0 || Index > 1)
        return;
    if (PictureBox* pic = picCalendar[static_cast<std::size_t>(Index)])
        pic->setFocus();
    const auto cal = static_cast<std::int16_t>(Index);
    switch (KeyCode) {
    case 37:
        ShowCalendarDate(cal, 0, 0, -1);
        break;
    case 39:
        ShowCalendarDate(cal, 0, 0, 1);
        break;
    case 38:
        ShowCalendarDate(cal, 0, 0, -7);
        break;
    case 40:
        ShowCalendarDate(cal, 0, 0, 7);
        break;
    case 33:
        ShowCalendarDate(cal, 0, -1, 0);
        break;
    case 34:
        ShowCalendarDate(cal, 0, 1, 0);
        break;
    case 36:
        ShowCalendarDate(cal, -1, 0, 0);
        break;
    case 35:
        ShowCalendarDate(cal, 1, 0, 0);
        break;
    case 27: {
        // Back to the day the window shows: tomorrow once the evening's last prayer is over,
        // yesterday after midnight while its Ishaa is still to come.
        SetCalendarDate(NowDate());
        const qint64 days = NowDate().toQDate().daysTo(ShownDayAt(Now()).toQDate());
        ShowCalendarDate(gDisplayHijraa, 0, 0, static_cast<std::int32_t>(days));
        break;
    }
    default:
        break;
    }
}

void frmTallix::picCalendar_MouseDown(int Index, int Button, int, double X, double Y) {
    if (Button == vbLeftButton && (Index == 0 || Index == 1))
        CalendarMouseDown(static_cast<std::int16_t>(Index),
                          picCalendar[static_cast<std::size_t>(Index)], X, Y);
}

void frmTallix::picCalendar_MouseMove(int Index, int, int, double X, double Y) {
    if (Index == 0 || Index == 1)
        CalendarMouseMove(static_cast<std::int16_t>(Index),
                          picCalendar[static_cast<std::size_t>(Index)], X, Y);
}

void frmTallix::hsbCalendar_Change(int Index) {
    if (Index < 0 || Index > 1)
        return;
    if (PictureBox* pic = picCalendar[static_cast<std::size_t>(Index)])
        pic->setFocus();
    QScrollBar* hsb = hsbCalendar[static_cast<std::size_t>(Index)];
    const int v = hsb ? hsb->value() : 0;
    if (v == 0)
        return;
    ShowCalendarDate(static_cast<std::int16_t>(Index), 0, v, 0);
    hsb->setValue(0);
}

std::int16_t frmTallix::MoonPictureIndex(double percent) {
    constexpr std::array<double, 11> kUpper = {3, 7, 14, 21, 28, 35, 52, 63, 74, 85, 96};
    std::int16_t k = 0;
    while (k < static_cast<std::int16_t>(kUpper.size()) &&
           percent > kUpper[static_cast<std::size_t>(k)])
        ++k;
    return k;
}

void frmTallix::RefreshMoonPhase(const Date& dt) {
    const runtime::CalendarGuard keep;
    SetCalendar(vbCalGreg);
    const double jd = dt.isValid() ? DateToJulianDay(dt) : 0.0;
    const double age = MoonPhase(jd, 1);
    const double lit = MoonPhase(jd, 0);
    const bool ok = jd != 0.0 && std::isfinite(age) && std::isfinite(lit);
    const bool waxing = RoundHalfEven(age) < 15;
    const bool north = gLatitude >= 0;
    const auto k = static_cast<std::size_t>(MoonPictureIndex(RoundHalfEven(lit * 100)));
    for (Image* moon : imgMoonPhase) {
        if (!moon)
            continue;
        if (ok) {
            moon->SetPicture(waxing == north ? imgIconMoonPhaseA[k] : imgIconMoonPhaseB[k]);
            moon->show();
        } else {
            moon->hide();
        }
    }
}
