#include "PictureBox.h"

#include "App.h"
#include "Colors.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QColor orBlack(const QColor& c) {
    return c.isValid() ? c : QColor(Qt::black);
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    image_ = blankImage(size());
}

PictureBox::~PictureBox() {
    // The shapes are our children and go with us; they must not call back while we go.
    for (const auto& s : shapes_)
        if (s)
            s->container_ = nullptr;
}

QImage PictureBox::blankImage(const QSize& sz) const {
    const qreal dpr = devicePixelRatioF();
    QImage img(QSize(std::max(1, qRound(sz.width() * dpr)), std::max(1, qRound(sz.height() * dpr))),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(orBlack(TranslateColor(backColor_)));
    return img;
}

void PictureBox::SetBackColor(std::int32_t color) {
    backColor_ = color;
    Cls();
}

double PictureBox::ScaleLeft() const {
    return scaleMode_ == vbUser ? scaleLeft_ : 0.0;
}
double PictureBox::ScaleTop() const {
    return scaleMode_ == vbUser ? scaleTop_ : 0.0;
}
double PictureBox::ScaleWidth() const {
    if (scaleMode_ == vbUser)
        return scaleWidth_;
    return width() * (scaleMode_ == vbPixels ? 1.0 : Screen.TwipsPerPixelX());
}
double PictureBox::ScaleHeight() const {
    if (scaleMode_ == vbUser)
        return scaleHeight_;
    return height() * (scaleMode_ == vbPixels ? 1.0 : Screen.TwipsPerPixelY());
}

void PictureBox::SetScaleMode(int mode) {
    if (mode == vbUser && scaleMode_ != vbUser) {
        // A user scale starts from the units in use.
        scaleLeft_ = ScaleLeft();
        scaleTop_ = ScaleTop();
        scaleWidth_ = ScaleWidth();
        scaleHeight_ = ScaleHeight();
    }
    scaleMode_ = mode == vbPixels ? vbPixels : mode == vbUser ? vbUser : vbTwips;
}

void PictureBox::SetScaleLeft(double v) {
    SetScaleMode(vbUser);
    scaleLeft_ = v;
}
void PictureBox::SetScaleTop(double v) {
    SetScaleMode(vbUser);
    scaleTop_ = v;
}
void PictureBox::SetScaleWidth(double v) {
    if (v == 0)
        return;
    SetScaleMode(vbUser);
    scaleWidth_ = v;
}
void PictureBox::SetScaleHeight(double v) {
    if (v == 0)
        return;
    SetScaleMode(vbUser);
    scaleHeight_ = v;
}

void PictureBox::Scale(double x1, double y1, double x2, double y2) {
    if (x2 == x1 || y2 == y1)
        return;
    scaleMode_ = vbUser;
    scaleLeft_ = x1;
    scaleTop_ = y1;
    scaleWidth_ = x2 - x1;
    scaleHeight_ = y2 - y1;
    for (const auto& s : shapes_)
        if (s)
            s->changed();
}

void PictureBox::Scale() {
    SetScaleMode(vbTwips);
}

double PictureBox::pixelsPerUnitX() const {
    const double w = ScaleWidth();
    return w != 0 ? width() / w : 0.0;
}
double PictureBox::pixelsPerUnitY() const {
    const double h = ScaleHeight();
    return h != 0 ? height() / h : 0.0;
}

QPointF PictureBox::toPixels(double x, double y) const {
    return {(x - ScaleLeft()) * pixelsPerUnitX(), (y - ScaleTop()) * pixelsPerUnitY()};
}

QPointF PictureBox::fromPixels(const QPointF& p) const {
    const double px = pixelsPerUnitX();
    const double py = pixelsPerUnitY();
    return {px != 0 ? ScaleLeft() + p.x() / px : ScaleLeft(),
            py != 0 ? ScaleTop() + p.y() / py : ScaleTop()};
}

const QImage& PictureBox::image() const {
    syncImage();
    return image_;
}

void PictureBox::syncImage() const {
    const qreal dpr = devicePixelRatioF();
    const QSize target(std::max(1, qRound(width() * dpr)), std::max(1, qRound(height() * dpr)));
    if (target == image_.size())
        return;
    QImage grown = blankImage(size());
    {
        QPainter p(&grown);
        p.drawImage(QPointF(0, 0), image_);
    }
    image_ = grown;
}

void PictureBox::Cls() {
    image_ = blankImage(size());
    CurrentX = ScaleLeft();
    CurrentY = ScaleTop();
    update();
}

void PictureBox::Circle(double x, double y, double radius, std::optional<std::int32_t> color) {
    CurrentX = x;
    CurrentY = y;
    const QPointF centre = toPixels(x, y);
    const double r = std::abs(radius * pixelsPerUnitX());
    if (!std::isfinite(r) || !std::isfinite(centre.x()) || !std::isfinite(centre.y()))
        return;
    syncImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline = TranslateColor(color.value_or(ForeColor));
    p.setPen(outline.isValid() ? QPen(outline, std::max(1, DrawWidth)) : QPen(Qt::NoPen));
    const QColor fill = TranslateColor(FillColor);
    p.setBrush(FillStyle == vbFSSolid && fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    p.drawEllipse(centre, r, r);
    update();
}

void PictureBox::Line(double x1, double y1, double x2, double y2,
                      std::optional<std::int32_t> color) {
    CurrentX = x2;
    CurrentY = y2;
    const QColor c = TranslateColor(color.value_or(ForeColor));
    if (!c.isValid())
        return;
    syncImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c, std::max(1, DrawWidth), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(toPixels(x1, y1), toPixels(x2, y2));
    update();
}

std::optional<QRect> PictureBox::pixelBox(double x1, double y1, double x2, double y2) const {
    const QPointF a = toPixels(std::min(x1, x2), std::min(y1, y2));
    const QPointF b = toPixels(std::max(x1, x2), std::max(y1, y2));
    if (!std::isfinite(a.x() + a.y() + b.x() + b.y()))
        return std::nullopt;
    // Corners far outside the picture are cut to it first, so any size stays an int.
    const auto pixel = [](double v, int limit) {
        return static_cast<int>(std::clamp(std::floor(v + 0.5), -1.0, double(limit)));
    };
    const QRect box(QPoint(pixel(a.x(), width()), pixel(a.y(), height())),
                    QPoint(pixel(b.x(), width()), pixel(b.y(), height())));
    if (box.right() < 0 || box.bottom() < 0)
        return std::nullopt;
    return box;
}

void PictureBox::LineBox(double x1, double y1, double x2, double y2,
                         std::optional<std::int32_t> color) {
    CurrentX = x2;
    CurrentY = y2;
    const std::optional<QRect> cut = pixelBox(x1, y1, x2, y2);
    if (!cut)
        return;
    const int left = cut->left();
    const int top = cut->top();
    const int right = cut->right();
    const int bottom = cut->bottom();
    const QColor outline = TranslateColor(color.value_or(ForeColor));
    const QColor fill = TranslateColor(FillColor);
    syncImage();
    QPainter p(&image_);
    const QRect box(QPoint(left, top), QPoint(right, bottom));
    if (FillStyle == vbFSSolid && fill.isValid())
        p.fillRect(box, fill);
    if (outline.isValid()) {
        p.fillRect(QRect(left, top, box.width(), 1), outline);
        p.fillRect(QRect(left, bottom, box.width(), 1), outline);
        p.fillRect(QRect(left, top, 1, box.height()), outline);
        p.fillRect(QRect(right, top, 1, box.height()), outline);
    }
    update();
}

void PictureBox::FocusBox(double x1, double y1, double x2, double y2, std::int32_t color) {
    const std::optional<QRect> cut = pixelBox(x1, y1, x2, y2);
    const QColor outline = TranslateColor(color);
    if (!cut || !outline.isValid())
        return;
    const QRect box = *cut;
    syncImage();
    QPainter p(&image_);
    // Every other pixel of the outline, counted round the box from its top-left corner.
    int n = 0;
    const auto dot = [&](int x, int y) {
        if (n++ % 2 == 0)
            p.fillRect(QRect(x, y, 1, 1), outline);
    };
    for (int x = box.left(); x < box.right(); ++x)
        dot(x, box.top());
    for (int y = box.top(); y < box.bottom(); ++y)
        dot(box.right(), y);
    for (int x = box.right(); x > box.left(); --x)
        dot(x, box.bottom());
    for (int y = box.bottom(); y > box.top(); --y)
        dot(box.left(), y);
    update();
}

void PictureBox::Print(const QString& text, bool newline) {
    const QFontMetricsF fm(font());
    const QPointF at = toPixels(CurrentX, CurrentY);
    syncImage();
    QPainter p(&image_);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font());
    p.setPen(orBlack(TranslateColor(ForeColor)));
    p.drawText(QPointF(at.x(), at.y() + fm.ascent()), text);
    if (newline) {
        CurrentX = ScaleLeft();
        CurrentY += TextHeight(text);
    } else {
        CurrentX += TextWidth(text);
    }
    update();
}

double PictureBox::TextWidth(const QString& text) const {
    const double px = pixelsPerUnitX();
    return px != 0 ? QFontMetricsF(font()).horizontalAdvance(text) / px : 0.0;
}

double PictureBox::TextHeight(const QString& text) const {
    const double py = pixelsPerUnitY();
    const int lines = std::max<int>(1, static_cast<int>(text.count(u'\n')) + 1);
    return py != 0 ? QFontMetricsF(font()).lineSpacing() * lines / py : 0.0;
}

void PictureBox::Refresh() {
    repaint();
}

QList<LineShape*> PictureBox::Shapes() const {
    QList<LineShape*> out;
    for (const auto& s : shapes_)
        if (s)
            out.append(s.data());
    return out;
}

void PictureBox::addShape(LineShape* shape) {
    shapes_.append(shape);
    update();
}

void PictureBox::removeShape(LineShape* shape) {
    shapes_.removeAll(shape);
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    syncImage();
    QPainter p(this);
    p.drawImage(QPointF(0, 0), image_);
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto& s : shapes_) {
        if (!s || !s->Visible)
            continue;
        const QColor c = TranslateColor(s->BorderColor);
        if (!c.isValid())
            continue;
        p.setPen(QPen(c, std::max(1, int(s->BorderWidth)), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(s->pixelLine());
    }
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncImage();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    const QPointF at = fromPixels(event->position());
    emit MouseDown(MouseButtonCode(event->button()), ShiftCode(event->modifiers()), at.x(), at.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = fromPixels(event->position());
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    emit MouseUp(MouseButtonCode(event->button()), ShiftCode(event->modifiers()), at.x(), at.y());
    if (click)
        emit Click();
}

LineShape::LineShape(PictureBox* container, const QString& name)
    : QObject(container), container_(container) {
    setObjectName(name);
    if (container)
        container->addShape(this);
}

LineShape::~LineShape() {
    if (container_)
        container_->removeShape(this);
}

QLineF LineShape::pixelLine() const {
    if (!container_)
        return {};
    return {container_->toPixels(X1, Y1), container_->toPixels(X2, Y2)};
}

void LineShape::changed() {
    if (container_)
        container_->update();
}
