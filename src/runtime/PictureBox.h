#pragma once
// Picture boxes: a surface that keeps what is drawn on it (circles, lines, text) until it is
// cleared, in the picture's own coordinate units, with Line shapes on top of the drawing.
//
// Colours are 0x00BBGGRR or system colours (Colors.h). The default units are twips (1/1440
// inch, 15 per pixel at 96 dpi); Scale sets units of the caller's choosing.
#include "Mouse.h"
#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <optional>

class LineShape;

constexpr int vbUser = 0;
constexpr int vbTwips = 1;
constexpr int vbPixels = 3;

constexpr int vbFSSolid = 0;
constexpr int vbFSTransparent = 1;

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    // Drawing state, read by every drawing call.
    std::int32_t ForeColor = static_cast<std::int32_t>(0x80000012u); // outline and text
    std::int32_t FillColor = 0;
    int FillStyle = vbFSTransparent; // vbFSSolid fills circles with FillColor
    int DrawWidth = 1;               // pixels
    double CurrentX = 0;
    double CurrentY = 0;

    // Setting the back colour clears the drawing, as Cls does.
    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t color);

    // Units: vbTwips and vbPixels follow the picture's size; vbUser keeps the scale the caller
    // set (Scale, SetScaleWidth...) when the picture is resized.
    int ScaleMode() const { return scaleMode_; }
    void SetScaleMode(int mode);
    double ScaleLeft() const;
    double ScaleTop() const;
    double ScaleWidth() const;
    double ScaleHeight() const;
    void SetScaleLeft(double v);
    void SetScaleTop(double v);
    void SetScaleWidth(double v);
    void SetScaleHeight(double v);
    // (x1, y1) the top-left corner, (x2, y2) the bottom-right one.
    void Scale(double x1, double y1, double x2, double y2);
    // Back to twips.
    void Scale();

    // Clears the drawing to the back colour; CurrentX and CurrentY go to the top-left corner.
    void Cls();
    // A full circle around (x, y); the radius is in horizontal units. The outline is drawn in
    // the colour given or ForeColor, DrawWidth wide; the inside filled with FillColor when
    // FillStyle is solid. CurrentX and CurrentY go to the centre.
    virtual void Circle(double x, double y, double radius,
                        std::optional<std::int32_t> color = std::nullopt);
    // A line from (x1, y1) to (x2, y2); CurrentX and CurrentY go to its end.
    virtual void Line(double x1, double y1, double x2, double y2,
                      std::optional<std::int32_t> color = std::nullopt);
    // The box with corners (x1, y1) and (x2, y2), drawn pixel-exact (corners to the nearest
    // pixel, both included): its one-pixel outline in the colour given or ForeColor, its inside
    // filled with FillColor when FillStyle is solid. A box one pixel wide is a straight line.
    // CurrentX and CurrentY go to (x2, y2).
    void LineBox(double x1, double y1, double x2, double y2,
                 std::optional<std::int32_t> color = std::nullopt);
    // The dotted frame of the keyboard focus along the box with corners (x1, y1) and (x2, y2),
    // pixel-exact as LineBox, every other pixel in the colour given. CurrentX and CurrentY
    // stay.
    void FocusBox(double x1, double y1, double x2, double y2, std::int32_t color);
    // Text at (CurrentX, CurrentY) in ForeColor and the picture's font; then the next line
    // starts at the left edge, or with newline false the text continues on the same line.
    void Print(const QString& text, bool newline = true);
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    // Repaints the picture now.
    void Refresh();

    // Conversions between the picture's units and its pixels.
    QPointF toPixels(double x, double y) const;
    // The box between two points in scale units, as whole pixels cut to the picture; nothing
    // when it lies wholly before the picture or its corners are not finite.
    std::optional<QRect> pixelBox(double x1, double y1, double x2, double y2) const;
    QPointF fromPixels(const QPointF& pixel) const;
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;

    // The drawing kept so far, in device pixels, as large as the picture.
    const QImage& image() const;

    // The Line shapes drawn on this picture, in the order they were created.
    QList<LineShape*> Shapes() const;

signals:
    // Button: vbLeftButton, vbRightButton or vbMiddleButton; Shift: 1 Shift, 2 Ctrl, 4 Alt;
    // X, Y in the picture's units.
    void MouseDown(int Button, int Shift, double X, double Y);
    void MouseUp(int Button, int Shift, double X, double Y);
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class LineShape;
    void addShape(LineShape* shape);
    void removeShape(LineShape* shape);
    // Brings the kept drawing to the picture's size (a hidden widget learns of its new size
    // late): the drawing stays where it is, new area shows the back colour.
    void syncImage() const;
    QImage blankImage(const QSize& size) const;

    std::int32_t backColor_ = static_cast<std::int32_t>(0x8000000Fu);
    int scaleMode_ = vbTwips;
    double scaleLeft_ = 0;
    double scaleTop_ = 0;
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
    mutable QImage image_;
    QList<QPointer<LineShape>> shapes_;
    bool pressed_ = false;
};

// A property of a Line shape: reads as its value, and assigning a new value redraws the shape.
template <typename T> class ShapeProperty {
public:
    ShapeProperty(LineShape* owner, T value) : owner_(owner), value_(value) {}
    ShapeProperty(const ShapeProperty&) = delete;
    operator T() const { return value_; }
    ShapeProperty& operator=(T value);
    ShapeProperty& operator=(const ShapeProperty& other) { return *this = T(other); }

private:
    LineShape* owner_;
    T value_;
};

// A straight line drawn on top of a picture's drawing, its end points in the picture's units.
class LineShape : public QObject {
    Q_OBJECT
public:
    explicit LineShape(PictureBox* container, const QString& name = QString());
    ~LineShape() override;

    ShapeProperty<double> X1{this, 0};
    ShapeProperty<double> Y1{this, 0};
    ShapeProperty<double> X2{this, 0};
    ShapeProperty<double> Y2{this, 0};
    ShapeProperty<std::int32_t> BorderColor{this, static_cast<std::int32_t>(0x80000008u)};
    ShapeProperty<int> BorderWidth{this, 1}; // pixels
    ShapeProperty<bool> Visible{this, true};

    PictureBox* Container() const { return container_; }
    // End points in the container's pixels.
    QLineF pixelLine() const;

    void changed();

private:
    friend class PictureBox;
    QPointer<PictureBox> container_;
};

template <typename T> ShapeProperty<T>& ShapeProperty<T>::operator=(T value) {
    if (!(value == value_)) {
        value_ = value;
        owner_->changed();
    }
    return *this;
}
