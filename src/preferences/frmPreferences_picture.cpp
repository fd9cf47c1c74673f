// The Kaaba picture: the four modes with their preview, stepping through the built-in
// pictures, and choosing the user's own picture file or folder. A custom picture or folder that
// cannot be shown is said so under the preview, and stays chosen: nothing is erased behind the
// user's back.
#include "frmPreferences.h"

#include "core/kaaba.h"
#include "core/mAPI.h"
#include "dialogs.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/FileListBox.h"
#include "runtime/ImageControl.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QDir>
#include <QLineEdit>
#include <QRadioButton>

void frmPreferences::showImageProblem(const QString& text) {
    lblImageProblem->setText(text);
    lblImageProblem->setVisible(!text.isEmpty());
}

bool frmPreferences::ShowBuiltInImage(std::int16_t n) {
    showImageProblem(QString());
    return ShowBuiltInKabaa(*imgKabaa, n);
}

bool frmPreferences::ShowCustomImage() {
    const StdPicture picture = LoadPicture(CustomImage);
    Err.Clear();
    if (picture.isNull()) {
        imgKabaa->SetPicture(StdPicture());
        imgKabaa->setText(QStringLiteral("?"));
        showImageProblem(
            QStringLiteral("This picture cannot be shown: %1").arg(GetFileName(CustomImage)));
        return false;
    }
    imgKabaa->SetPicture(picture);
    showImageProblem(QString());
    return true;
}

bool frmPreferences::ShowCustomImageFolder() {
    // The folder must hold a picture to show; otherwise the main window would show built-in
    // ones at random, which the note under the preview tells.
    FileListBox& lister = FolderLister();
    lister.SetPattern(QString::fromLatin1(kPictureFilePatterns));
    const bool listed = lister.SetPath(CustomImageFolder) && lister.ListCount() > 0;
    Err.Clear();
    PickRandomImageFromFolder(CustomImageFolder, *imgKabaa);
    if (!listed) {
        showImageProblem(QStringLiteral("No picture to show in this folder: %1; built-in pictures "
                                        "are shown instead.")
                             .arg(GetFolderName(CustomImageFolder)));
        return false;
    }
    showImageProblem(QString());
    return true;
}

void frmPreferences::optImageType_Click(int Index) {
    txtCustomImageFileName->setVisible(Index != 3);
    txtCustomImageFolder->setVisible(Index == 3);
    switch (Index) {
    case 0:
        SelectedImage = Random(1, kBuiltInKabaaPictures);
        ShowBuiltInImage(SelectedImage);
        break;
    case 2:
        if (!TrimBlanks(CustomImage).isEmpty())
            ShowCustomImage();
        else
            ShowBuiltInImage(SelectedImage);
        break;
    case 3:
        if (!TrimBlanks(CustomImageFolder).isEmpty())
            ShowCustomImageFolder();
        else
            ShowBuiltInImage(SelectedImage);
        break;
    default:
        ShowBuiltInImage(SelectedImage);
        break;
    }
    Changed = true;
}

void frmPreferences::cmdNext_Click() {
    SelectedImage = SelectedImage >= kBuiltInKabaaPictures ? 1 : std::int16_t(SelectedImage + 1);
    if (SelectedImage < 1)
        SelectedImage = 1;
    if (!ShowBuiltInImage(SelectedImage)) {
        ShowBuiltInImage(3);
        return;
    }
    optImageType.Select(1);
    Changed = true;
}

void frmPreferences::cmdPrevious_Click() {
    SelectedImage = SelectedImage <= 1 ? kBuiltInKabaaPictures : std::int16_t(SelectedImage - 1);
    if (SelectedImage > kBuiltInKabaaPictures)
        SelectedImage = kBuiltInKabaaPictures;
    if (!ShowBuiltInImage(SelectedImage)) {
        ShowBuiltInImage(3);
        return;
    }
    optImageType.Select(1);
    Changed = true;
}

void frmPreferences::cmdBrowseCustomImage_Click() {
    if (optImageType[3]->isChecked()) {
        const QString path = BrowseForFolder(hWnd(), LoadResString(418));
        if (TrimBlanks(path).isEmpty())
            return;
        CustomImageFolder = path;
        txtCustomImageFolder->setText(GetFolderName(path));
        optImageType.Select(3);
        ShowCustomImageFolder();
        Changed = true;
        return;
    }
    const QString path = GetImageFile(this, ImageFilter, CustomImage, ImageDialogTitle);
    if (path.isEmpty())
        return;
    // A file that is no picture this program can show is refused; the choice made before stays.
    const StdPicture picture = LoadPicture(path);
    // Why the file cannot be read at all (a named pipe, say), when that is the reason.
    const QString why = Err.Number == vbErrPathFileAccess ? Err.Description : QString();
    Err.Clear();
    if (picture.isNull()) {
        MsgBox((why.isEmpty() ? QStringLiteral("%1 is not a picture this program can show.")
                                    .arg(QDir::toNativeSeparators(path))
                              : why + u'.') +
                   QStringLiteral("\r\n\r\nThe picture chosen before is kept."),
               vbExclamation);
        return;
    }
    CustomImage = path;
    txtCustomImageFileName->setText(GetFileName(path));
    if (!optImageType.Select(2) || optImageType.Selected() != 2)
        return;
    imgKabaa->SetPicture(picture);
    showImageProblem(QString());
    Changed = true;
}
