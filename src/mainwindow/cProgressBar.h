#pragma once
// A progress bar painted into any widget: a background, a bar, optional 8-pixel segments with
// 2-pixel gaps, and a border. Every property change repaints it; the painting goes through an
// off-screen image (pcMemDC) and reaches the widget in one copy, so the bar never flickers.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>

// The off-screen surface of a bar: re-created only when a paint needs more room.
class pcMemDC {
public:
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // The surface, made (or re-made at exactly the size asked for) when none exists yet or
    // one side asked for is larger; nullptr for a size below 1.
    QImage* hDC(int width, int height);

private:
    QImage image_;
};

class cProgressBar : public QObject {
    Q_OBJECT
public:
    explicit cProgressBar(QObject* parent = nullptr);

    void SetSegments(bool on) { segments_ = on, Draw(); }
    bool Segments() const { return segments_; }
    void SetXpStyle(bool on) { xpStyle_ = on, Draw(); } // no theme here: always classic
    void SetShowText(bool on) { showText_ = on, Draw(); }
    void SetMin(std::int32_t v) { min_ = v, Draw(); }
    std::int32_t Max() const { return max_; }
    void SetMax(std::int32_t v) { max_ = v, Draw(); }
    std::int32_t Value() const { return value_; }
    void SetValue(std::int32_t v) { value_ = v, Draw(); }
    void SetBorderStyle(std::int32_t v) { borderStyle_ = v, Draw(); }
    void SetAppearance(std::int32_t v) { appearance_ = v, Draw(); }
    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t c) { backColor_ = c, Draw(); }
    std::int32_t BarColor() const { return barColor_; }
    void SetBarColor(std::int32_t c) { barColor_ = c, Draw(); }
    // The widget painted into; the bar follows its paints.
    void SetDrawObject(QWidget* target);
    QWidget* DrawObject() const { return target_; }

    // Asks the target to repaint.
    void Draw();
    // Paints the bar into rect of the image.
    void DrawToDC(QImage& dc, const QRect& rect);
    // The bar's rectangle within a bar of the given outer rectangle (after the border inset);
    // empty when the bar shows nothing. A range of 0 (Max = Min) draws empty.
    QRect BarRect(const QRect& outer) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int inset() const;
    void drawBorder(QPainter& p, const QRect& b) const;

    bool segments_ = false;
    bool xpStyle_ = false;
    bool showText_ = false;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t value_ = 0;
    std::int32_t borderStyle_ = 1;
    std::int32_t appearance_ = 1;
    std::int32_t backColor_ = -1;
    std::int32_t barColor_ = -1;
    QPointer<QWidget> target_;
    pcMemDC memDC_;
};
