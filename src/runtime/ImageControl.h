#pragma once
// Pictures, the image control that shows one, and the image list that holds a numbered set.
#include "Mouse.h"
#include "platform/wintypes.h"

#include <QLabel>
#include <QPixmap>
#include <QVector>
#include <memory>

// Run-time errors of pictures and image lists. A file that is no regular file (a named pipe)
// is a path/file access error, its description saying what is there.
constexpr long vbErrPathFileAccess = 75;
constexpr long vbErrInvalidPicture = 481;
constexpr long vbErrIndexOutOfBounds = 35600;

// Mouse buttons and shift keys of the MouseUp events.

// A picture object. Copies share the picture (and its handle).
class StdPicture {
public:
    StdPicture() = default;
    explicit StdPicture(const QPixmap& pixmap);

    bool isNull() const { return !d_ || d_->pixmap.isNull(); }
    QPixmap pixmap() const { return d_ ? d_->pixmap : QPixmap(); }
    // The picture's handle, usable wherever an icon handle goes (a tray record); 0 for no
    // picture. Registered on first use, released with the last copy of the picture.
    HANDLE Handle() const;

private:
    struct Data {
        QPixmap pixmap;
        mutable HANDLE handle = 0;
        ~Data();
    };
    std::shared_ptr<Data> d_;
};

// Loads a picture file (BMP, GIF, JPEG, PNG and whatever else Qt reads, told apart by content)
// or an embedded picture (":/..."). On failure returns no picture and sets Err: "File not
// found" for a name that is empty or names no file, "Invalid picture" for anything unreadable.
StdPicture LoadPicture(const QString& fileName);

// An image control: shows its Picture, stretched to the control's size when Stretch is set.
class Image : public QLabel {
    Q_OBJECT
public:
    explicit Image(QWidget* parent = nullptr);

    const StdPicture& Picture() const { return picture_; }
    void SetPicture(const StdPicture& picture);
    bool Stretch() const { return hasScaledContents(); }
    void SetStretch(bool stretch) { setScaledContents(stretch); }

signals:
    // Button (vbLeftButton...), Shift (vbShiftMask...), and the position in twips.
    void MouseUp(int Button, int Shift, float X, float Y);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    StdPicture picture_;
};

// One picture of an image list.
struct ListImage {
    StdPicture Picture;
};

// An image list: pictures numbered from 1.
class ImageList {
public:
    void Add(const StdPicture& picture) { images_.append(ListImage{picture}); }
    int Count() const { return int(images_.size()); }
    // The picture numbered index (1..Count); outside that Err is "Index out of bounds" and the
    // result holds no picture.
    ListImage ListImages(int index) const;

private:
    QVector<ListImage> images_;
};
