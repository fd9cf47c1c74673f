#include "cProgressBar.h"

#include "runtime/Colors.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

namespace {
// -1 (no colour set) paints nothing.
void fill(QPainter& p, const QRect& r, std::int32_t color) {
    if (color == -1)
        return;
    p.fillRect(r, TranslateColor(color));
}
} // namespace

QImage* pcMemDC::hDC(int width, int height) {
    if (image_.isNull()) {
        if (width < 1 || height < 1)
            return nullptr;
        image_ = QImage(width, height, QImage::Format_RGB32);
    } else if (width > image_.width() || height > image_.height()) {
        image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    }
    return image_.isNull() ? nullptr : &image_;
}

cProgressBar::cProgressBar(QObject* parent) : QObject(parent) {}

void cProgressBar::SetDrawObject(QWidget* target) {
    if (target_)
        target_->removeEventFilter(this);
    target_ = target;
    if (target_) {
        target_->installEventFilter(this);
        target_->setAttribute(Qt::WA_OpaquePaintEvent);
    }
    Draw();
}

void cProgressBar::Draw() {
    if (target_)
        target_->update();
}

bool cProgressBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_ && event->type() == QEvent::Paint) {
        const int w = target_->width();
        const int h = target_->height();
        if (QImage* dc = memDC_.hDC(w, h)) {
            DrawToDC(*dc, QRect(0, 0, w, h));
            QPainter p(target_);
            p.drawImage(QPoint(0, 0), *dc, QRect(0, 0, w, h));
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

int cProgressBar::inset() const {
    if (borderStyle_ <= 0)
        return 0;
    return appearance_ == 2 ? 2 : 1;
}

QRect cProgressBar::BarRect(const QRect& outer) const {
    const int in = inset();
    // Edges as left/top inclusive, right/bottom exclusive.
    const int left = outer.left() + in, top = outer.top() + in;
    const int right = outer.left() + outer.width() - in, bottom = outer.top() + outer.height() - in;
    double f = 0;
    if (max_ != min_)
        f = double(value_ - min_) / double(max_ - min_);
    f = std::clamp(f, 0.0, 1.0);
    const int step = 10;
    if (outer.width() > outer.height()) {
        int barRight = left + int(std::nearbyint((right - left) * f));
        if (segments_)
            barRight = std::max(left, barRight - (barRight - left) % step);
        return QRect(QPoint(left, top), QPoint(barRight - 1, bottom - 1));
    }
    int barTop = top + int(std::nearbyint((bottom - top) * (1 - f)));
    if (segments_)
        barTop = std::min(bottom, barTop + (bottom - barTop) % step);
    return QRect(QPoint(left, barTop), QPoint(right - 1, bottom - 1));
}

void cProgressBar::DrawToDC(QImage& dc, const QRect& rect) {
    QPainter p(&dc);
    // A new surface holds whatever its memory held, and a colour of -1 paints nothing: the
    // picture starts as the background the widget itself would show.
    p.fillRect(rect, target_ ? target_->palette().color(target_->backgroundRole())
                             : TranslateColor(vbButtonFace));
    fill(p, rect, backColor_);
    const QRect bar = BarRect(rect);
    if (bar.width() > 0 && bar.height() > 0) {
        p.save();
        p.setClipRect(bar);
        fill(p, bar, barColor_);
        if (segments_) {
            const QRect inner = rect.adjusted(inset(), inset(), -inset(), -inset());
            if (rect.width() > rect.height()) {
                for (int x = bar.left() + 8; x <= bar.right() + 1; x += 10)
                    fill(p, QRect(x, inner.top(), 2, inner.height()), backColor_);
            } else {
                for (int y = bar.bottom() + 1 - 10; y >= bar.top(); y -= 10)
                    fill(p, QRect(inner.left(), y, inner.width(), 2), backColor_);
            }
        }
        p.restore();
    }
    drawBorder(p, rect);
}

void cProgressBar::drawBorder(QPainter& p, const QRect& b) const {
    if (borderStyle_ <= 0 || borderStyle_ > 2)
        return;
    const int l = b.left(), t = b.top(), r = b.left() + b.width() - 1,
              bo = b.top() + b.height() - 1;
    const QColor shadow = TranslateColor(static_cast<std::int32_t>(0x80000010u));
    const QColor light = TranslateColor(static_cast<std::int32_t>(0x80000014u));
    if (appearance_ == 0) {
        p.setPen(Qt::black);
        p.drawRect(QRect(l, t, b.width() - 1, b.height() - 1));
        return;
    }
    const bool sunken = borderStyle_ == 1;
    const QColor topLeft = sunken ? shadow : light;
    const QColor bottomRight = sunken ? light : shadow;
    for (int k = 0; k < (appearance_ == 2 ? 2 : 1); ++k) {
        p.setPen(topLeft);
        p.drawLine(l + k, bo - k, l + k, t + k);
        p.drawLine(l + k, t + k, r - k, t + k);
        p.setPen(bottomRight);
        p.drawLine(r - k, t + k, r - k, bo - k);
        p.drawLine(r - k, bo - k, l + k, bo - k);
    }
}
