#include "mGetWavFile.h"

#include "core/audio.h"
#include "dialogs.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "runtime/ResStrings.h"
#include "runtime/StandardIcon.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

QString sPreviewFile;

// The strip under the dialog's own controls: "Preview:" and the Play and Stop buttons.
void addPreviewStrip(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    auto* strip = new QWidget(&dialog);
    strip->setObjectName(QStringLiteral("PreviewStrip"));
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(LoadResString(268), strip);
    label->setObjectName(QStringLiteral("hPreviewLabel"));
    auto* play = new QPushButton(strip);
    play->setObjectName(QStringLiteral("hPlayButton"));
    play->setIcon(StandardIcon(QStyle::SP_MediaPlay));
    play->setToolTip(QStringLiteral("Play"));
    auto* stop = new QPushButton(strip);
    stop->setObjectName(QStringLiteral("hStopButton"));
    stop->setIcon(StandardIcon(QStyle::SP_MediaStop));
    stop->setToolTip(QStringLiteral("Stop"));
    // The buttons take no focus from the file list: a press plays what is selected there.
    for (QPushButton* button : {play, stop}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setFixedSize(26, 24);
    }
    label->setBuddy(play);
    row->addWidget(label);
    row->addWidget(play);
    row->addWidget(stop);
    row->addStretch(1);
    grid->addWidget(strip, grid->rowCount(), 0, 1, grid->columnCount());
    QObject::connect(play, &QPushButton::clicked, &dialog, [] { PlayWave(); });
    QObject::connect(stop, &QPushButton::clicked, &dialog, [] { StopWave(); });
}

} // namespace

QString PreviewFile() {
    return sPreviewFile;
}

void PlayWave() {
    if (sPreviewFile.isEmpty() || !QFileInfo(sPreviewFile).isFile())
        return; // a folder, or nothing selected yet, plays nothing
    PlayPreview([] { PlaySoundA(sPreviewFile, 0, kFilePlayFlags); });
}

void StopWave() {
    StopPreviewSound();
}

QString GetWavFile(HWND hWndOwner, const QString& sFilter, const QString& sInitDir,
                   const QString& sFileName, const QString& sTitle) {
    // Each opening starts without a selection: Play plays nothing of an earlier opening.
    sPreviewFile.clear();
    QFileDialog dialog(platform::WidgetOfWindow(hWndOwner), sTitle);
    // Our own dialog, not the desktop's: only ours can carry the preview strip.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(NameFiltersOf(sFilter));
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setDirectory(DialogFolderFor(sInitDir));
    if (!sFileName.isEmpty())
        dialog.selectFile(sFileName);
    addPreviewStrip(dialog);
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [](const QString& path) {
        sPreviewFile = path;
        StopWave();
    });

    const int result = RunFileDialog(dialog);
    StopWave();
    if (result != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}
