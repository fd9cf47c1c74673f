#include "ImageControl.h"

#include "App.h"
#include "ErrObject.h"
#include "platform/filesync.h"
#include "platform/icons.h"

#include <QFile>
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
    // Only a regular file is read: a named pipe (or a device) under a picture's name is refused
    // without waiting on it, and the reason is the error's description. The pictures compiled
    // into the program (":/...") are read as they are.
    const bool embedded = fileName.startsWith(QLatin1String(":/"));
    QString why;
    QFile file(embedded ? fileName : QString());
    const bool opened =
        embedded ? file.open(QIODevice::ReadOnly)
                 : !fileName.isEmpty() && platform::OpenRegularFile(&file, fileName, &why);
    if (!opened) {
        if (why.isEmpty())
            Err.Raise(vbErrFileNotFound);
        else
            Err.Raise(vbErrPathFileAccess, why);
        return StdPicture();
    }
    QImageReader reader(&file);
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
