#pragma once
// The sound-file dialog of the preferences: an open dialog for one WAVE file with a preview
// strip ("Preview:", Play, Stop) that plays the file selected in it before it is chosen.
#include "platform/wintypes.h"

#include <QString>

class QFileDialog;

// Shows the dialog modally, owned by the window, in sInitDir (or the folder of the file it
// names) with sFileName in its name box. Returns the chosen file's full path, "" on Cancel.
// A name typed without extension gets ".wav".
QString GetWavFile(HWND hWndOwner, const QString& sFilter, const QString& sInitDir,
                   const QString& sFileName, const QString& sTitle);

// The file the Play button plays: the item last selected in the open dialog, "" until the
// first selection of each opening.
QString PreviewFile();

// Play plays the selected item; Stop, a new selection and closing the dialog stop the preview
// (and only the preview: an athan that took its place plays on).
void PlayWave();
void StopWave();
