#pragma once
// The common dialogs of the preferences: the picture-file dialog and the colour dialog, and the
// one place where every file and colour dialog of the preferences runs, so that tests can drive
// the real dialogs instead of a person.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QColorDialog;
class QFileDialog;
class QWidget;

// Runs the dialog modally (or hands it to the installed driver) and returns its result code:
// QDialog::Accepted or QDialog::Rejected.
int RunFileDialog(QFileDialog& dialog);
int RunColorDialog(QColorDialog& dialog);

// The folder a file dialog opens in for sInitial, a file or a folder: the file's folder, the
// folder itself, the folder of a file since removed, else the user's documents.
QString DialogFolderFor(const QString& sInitial);

// The picture file the user picks (.bmp, .gif, .jpg, .jpeg, .png), "" when cancelled. The
// dialog opens in sInitialDir, or in the folder of the file it names.
QString GetImageFile(QWidget* owner, const QString& sFilter, const QString& sInitialDir,
                     const QString& sTitle);

// The colour dialog, opened on lInitial (0x00BBGGRR) with the sixteen custom colours. True and
// *lResult the chosen RGB colour on OK; false and nothing changed on Cancel.
bool ChooseColorRGB(QWidget* owner, std::int32_t lInitial,
                    const std::array<std::int32_t, 16>& customColors, std::int32_t* lResult);

// Turns a filter of the string table ("text<NULL>pattern<NULL>...", or with NUL characters)
// into the dialog's name filters: "text (pattern)" when the text does not show the pattern.
QStringList NameFiltersOf(const QString& sFilter);

namespace preferences {
// Tests drive the dialogs: the driver gets the dialog, set up and not shown, and accepts or
// rejects it. nullptr goes back to showing them to the user.
void InstallFileDialogDriver(std::function<void(QFileDialog&)> driver);
void InstallColorDialogDriver(std::function<void(QColorDialog&)> driver);
} // namespace preferences
