#include "ImageControl.h"

#include "App.h"
#include "ErrObject.h"
#include "platform/icons.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>

StdPicture::StdPicture(const QPixmap& pixmap) : d_(std::make_shared<Data>()) {
    d_->pixmap = pixmap;
}

StdPicture::Data::~Data() {
    if (handle != 0)
        platform::UnregisterIcon(handle);
}

HANDLE StdPicture::Handle() const {
    if (isNull())
        return 0;
    if (d_->handle == 0)
        d_->handle = platform::RegisterIcon(QIcon(d_->pixmap));
    return d_->handle;
}

StdPicture LoadPicture(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        Err.Raise(vbErrFileNotFound);
        return StdPicture();
    }
    QImageReader reader(fileName);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        Err.Raise(vbErrInvalidPicture, QStringLiteral("Invalid picture"));
        return StdPicture();
    }
    return StdPicture(QPixmap::fromImage(image));
}

Image::Image(QWidget* parent) : QLabel(parent) {}

void Image::SetPicture(const StdPicture& picture) {
    picture_ = picture;
    setPixmap(picture.pixmap());
}

void Image::mouseReleaseEvent(QMouseEvent* event) {
    const int button = MouseButtonCode(event->button());
    const int shift = ShiftCode(event->modifiers());
    const QPointF pos = event->position();
    emit MouseUp(button, shift, float(pos.x() * Screen.TwipsPerPixelX()),
                 float(pos.y() * Screen.TwipsPerPixelY()));
    QLabel::mouseReleaseEvent(event);
}

ListImage ImageList::ListImages(int index) const {
    if (index < 1 || index > images_.size()) {
        Err.Raise(vbErrIndexOutOfBounds, QStringLiteral("Index out of bounds"));
        return ListImage{};
    }
    return images_.at(index - 1);
}
