// The sound of each audio slot: the options and what they show, the built-in lists and their
// previews, the verse, and the user's own files and folders with their previews.
#include "frmPreferences.h"

#include "core/audio.h"
#include "core/kaaba.h"
#include "core/mAPI.h"
#include "mGetWavFile.h"
#include "platform/sound.h"
#include "runtime/App.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>

void frmPreferences::optAudioType_Click(int slot, int Index) {
    // The start-up and reminder slots show the Bismillah list or the recitation list.
    if (slot == 6 || slot == 7) {
        QComboBox* bismillah = cboSelectedSound[std::size_t(slot)];
        QComboBox* recitation = cboSelectedSound[slot == 6 ? 5 : 8];
        if (Index == 1) {
            bismillah->setVisible(true);
            recitation->setVisible(false);
        } else if (Index == 4) {
            recitation->setVisible(true);
            bismillah->setVisible(false);
        }
    }
    UpdateCustomSoundControls(Index, slot);
    Changed = true;
}

void frmPreferences::UpdateCustomSoundControls(int option, int slot) {
    const auto s = std::size_t(slot);
    if (option == 2) {
        txtCustomSoundFileName[s]->setVisible(true);
        txtCustomSoundFolder[s]->setVisible(false);
    } else if (option == 3) {
        txtCustomSoundFolder[s]->setVisible(true);
        txtCustomSoundFileName[s]->setVisible(false);
    }
}

void frmPreferences::cboSelectedSound_Click(int Index) {
    QComboBox* list = cboSelectedSound[std::size_t(Index)];
    list->setToolTip(list->currentText());
    Changed = true;
}

void frmPreferences::cmdSoundPreview_Click(int Index) {
    const auto position = [this](int list) {
        return std::int16_t(cboSelectedSound[std::size_t(list)]->currentIndex());
    };
    PlayPreview([&] {
        if (Index == 6 || Index == 7) {
            // The reminder's lists hold the start-up lists' entries: they play as slots 6 and 5.
            const OptionArray& options = *AudioOptions(Index);
            if (options[1]->isChecked())
                PlayBuiltInSound(6, position(Index));
            else if (options[4]->isChecked())
                PlayBuiltInSound(5, position(Index == 6 ? 5 : 8));
        } else {
            PlayBuiltInSound(std::int16_t(Index), position(Index));
        }
    });
}

void frmPreferences::cmdSoundStop_Click(int) {
    StopPreviewSound();
}

void frmPreferences::PlayAlBaqarah238(int Button) {
    if (Button != 1)
        return;
    PlayPreview([] {
        if (!PlaySoundA(QStringLiteral("ALBAQARAH_238"), App.hInstance, kResourcePlayFlags))
            PlayFallbackBeep();
    });
}

void frmPreferences::cmdBrowseCustomSound_Click(int Index) {
    const auto i = std::size_t(Index);
    OptionArray& options = *AudioOptions(Index);
    if (options[3]->isChecked()) {
        const int prompts[] = {452, 412, 412, 412, 412, 0, 413, 471};
        const QString prompt = LoadResStringLines(prompts[i]);
        const QString path = BrowseForFolder(hWnd(), prompt);
        if (TrimBlanks(path).isEmpty())
            return;
        CustomSoundFolder[i] = path;
        txtCustomSoundFolder[i]->setText(GetFolderName(path));
        options.Select(3);
        Changed = true;
        return;
    }
    const QString path =
        GetWavFile(hWnd(), WavFilter, CustomSound[i], QString(), SoundDialogTitles[i]);
    if (TrimBlanks(path).isEmpty())
        return;
    // A file that cannot be played is said so now, not found out at prayer time; the sound
    // chosen before stays.
    if (const QString problem = platform::WaveFileProblem(path); !problem.isEmpty()) {
        MsgBox(QStringLiteral("%1 cannot be played: %2.\r\n\r\nOnly WAVE sounds of PCM or "
                              "floating-point samples play. The sound chosen before is kept.")
                   .arg(QDir::toNativeSeparators(path), problem),
               vbExclamation);
        return;
    }
    CustomSound[i] = path;
    txtCustomSoundFileName[i]->setText(GetFileName(path));
    options.Select(2);
    Changed = true;
}

void frmPreferences::cmdCustomSoundPreview_Click(int Index) {
    const auto i = std::size_t(Index);
    // The box shown decides: the folder's random file, or the file.
    PlayPreview([&] {
        if (!txtCustomSoundFolder[i]->isHidden())
            PlayRandomWavFromFolder(CustomSoundFolder[i]);
        else if (!TrimBlanks(CustomSound[i]).isEmpty())
            PlaySoundA(CustomSound[i], 0, kFilePlayFlags);
        // No file: silent (an empty name would stop whatever plays).
    });
}

void frmPreferences::cmdCustomSoundStop_Click(int) {
    StopPreviewSound();
}

void frmPreferences::cmdIdenticalAthans_Click() {
    for (std::size_t t : {2u, 3u, 4u}) {
        OptionArray& target = *AudioOptions(int(t));
        for (int k = 0; k < 4; ++k)
            target[k]->setChecked(optAudioTypeDhuhr[k]->isChecked());
        cboSelectedSound[t]->setCurrentIndex(cboSelectedSound[1]->currentIndex());
        txtCustomSoundFileName[t]->setText(txtCustomSoundFileName[1]->text());
        CustomSound[t] = CustomSound[1];
        txtCustomSoundFolder[t]->setText(txtCustomSoundFolder[1]->text());
        CustomSoundFolder[t] = CustomSoundFolder[1];
    }
    Changed = true;
}
