#include "kaaba.h"

#include "mainwindow/frmTallix.h"
#include "runtime/ErrObject.h"
#include "runtime/FileListBox.h"
#include "runtime/ImageControl.h"
#include "runtime/VBMath.h"
#include "settings.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

void showRandomBuiltIn(Image& img) {
    ShowBuiltInKabaa(img, Random(1, kBuiltInKabaaPictures));
}

} // namespace

std::int16_t Random(std::int16_t iLower, std::int16_t iUpper) {
    const int count = int(iUpper) - int(iLower) + 1;
    if (count > std::numeric_limits<std::int16_t>::max() ||
        count < std::numeric_limits<std::int16_t>::min())
        return iLower;
    // In double precision count * r stays below count (r < 1 has 24 bits), so the result never
    // runs past iUpper.
    const double r = Rnd();
    return static_cast<std::int16_t>(std::floor(count * r + iLower));
}

QString TrimBlanks(const QString& s) {
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && s.at(last - 1) == QLatin1Char(' '))
        --last;
    return s.mid(first, last - first);
}

std::int16_t LastListIndex(const FileListBox& lister) {
    return static_cast<std::int16_t>(
        std::min(lister.ListCount() - 1, int(std::numeric_limits<std::int16_t>::max())));
}

FileListBox& FolderLister() {
    if (frmTallix* window = MainWindow())
        return window->flbMain;
    static FileListBox own;
    return own;
}

bool ShowBuiltInKabaa(Image& img, std::int16_t iImage) {
    frmTallix* window = MainWindow();
    if (!window)
        return false;
    const ListImage image = window->imgKabaaList.ListImages(iImage);
    if (image.Picture.isNull())
        return false;
    img.SetPicture(image.Picture);
    return true;
}

void RefreshKabaaImage(std::int16_t iImage) {
    frmTallix* window = MainWindow();
    if (!window || !window->imgKabaa)
        return;
    Image& img = *window->imgKabaa;
    switch (gImageType) {
    case 1:
        if (!ShowBuiltInKabaa(img, iImage))
            showRandomBuiltIn(img);
        break;
    case 2: {
        const StdPicture picture = LoadPicture(gCustomImage);
        if (picture.isNull())
            showRandomBuiltIn(img);
        else
            img.SetPicture(picture);
        break;
    }
    case 3:
        PickRandomImageFromFolder(gCustomImageFolder, img);
        break;
    default:
        showRandomBuiltIn(img);
        break;
    }
    Err.Clear();
}

void PickRandomImageFromFolder(const QString& sFolder, Image& img) {
    FileListBox& lister = FolderLister();
    lister.SetPattern(QString::fromLatin1(kPictureFilePatterns));
    const QString folder = TrimBlanks(sFolder);
    if (folder.isEmpty() || !lister.SetPath(sFolder) || lister.ListCount() == 0) {
        showRandomBuiltIn(img);
        Err.Clear();
        return;
    }
    const std::int16_t i = Random(0, LastListIndex(lister));
    // The name as listed: a name that begins with a blank is still that file's name.
    const StdPicture picture = LoadPicture(QDir(lister.Path()).filePath(lister.List(i)));
    if (picture.isNull())
        showRandomBuiltIn(img);
    else
        img.SetPicture(picture);
    Err.Clear();
}
