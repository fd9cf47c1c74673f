#pragma once
// The Preferences dialog: how the program calls the user (athans, start-up and reminder sounds,
// visual alerts, reminder minutes), the Pray Now action, the data server, the clock colours and
// the Kaaba picture. Its behaviour is spread over frmPreferences_<area>.cpp, one file per area.
//
// Audio slots: 0..4 the athans of Fajr, Dhuhr, Asr, Maghrib and Ishaa, 5 the start-up
// recitation list, 6 the start-up sound, 7 the reminder sound, 8 the reminder recitation list.
// Setting a control's value from code runs its handler, as a choice by the user does.
#include "core/clsToolTip.h"
#include "runtime/Form.h"

#include <QLabel>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Image;
class LineShape;
class PictureBox;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

// Opens the dialog modally on the page and returns when it has been closed.
void ShowPreferencesDialog(std::int16_t iStartTab);

// A group of option buttons numbered from 0; one of them, or none, is selected.
class OptionArray {
public:
    QRadioButton* operator[](int index) const { return buttons_.at(std::size_t(index)); }
    int Count() const { return int(buttons_.size()); }
    // The first selected button's index, -1 when none is.
    int Selected() const;
    // Selects the button (its handler runs when the selection changes); false for an index the
    // group does not have.
    bool Select(int index);
    void add(QRadioButton* button) { buttons_.push_back(button); }

private:
    std::vector<QRadioButton*> buttons_;
};

// A display-only colour box: its background shows a colour value (0x00BBGGRR or a system colour).
class ColorSwatch : public QLabel {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    std::int32_t BackColor() const { return color_; }
    void SetBackColor(std::int32_t color);

private:
    std::int32_t color_ = 0;
};

class frmPreferences : public Form {
    Q_OBJECT
public:
    explicit frmPreferences(QWidget* parent = nullptr);
    ~frmPreferences() override;

    // ---- the dialog's own fields ----
    QString CustomImage;
    QString CustomImageFolder;
    std::array<std::int32_t, 6> Colors{}; // 0 face, 1 hands, 2 seconds, 3..5 the highlights
    std::array<QString, 8> CustomSound;
    std::array<QString, 8> CustomSoundFolder;
    std::int16_t SelectedImage = 3;
    std::unique_ptr<clsToolTip> ToolTip;
    QString DefaultsQuestion;
    std::array<QString, 8> SoundDialogTitles;
    QString ImageDialogTitle;
    QString ImageFilter;
    QString WavFilter;
    bool Changed = false;

    // ---- window, buttons, timer ----
    QTabWidget* tabMain = nullptr;
    QPushButton* cmdDefaults = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdExit = nullptr;
    QTimer* tmrMain = nullptr;

    // ---- audio (page 0, and the reminder sound of page 2) ----
    QGroupBox* fraFajr = nullptr;
    QGroupBox* fraDhuhr = nullptr;
    QGroupBox* fraAsr = nullptr;
    QGroupBox* fraMaghrib = nullptr;
    QGroupBox* fraIshaa = nullptr;
    QGroupBox* fraBismillah = nullptr;
    OptionArray optAudioTypeFajr, optAudioTypeDhuhr, optAudioTypeAsr, optAudioTypeMaghrib,
        optAudioTypeIshaa, optAudioTypeBismillah, optAudioTypeReminder;
    std::array<QComboBox*, 9> cboSelectedSound{};
    // Indexed by slot; members 5 and 8 do not exist.
    std::array<QPushButton*, 8> cmdSoundPreview{};
    std::array<QPushButton*, 8> cmdSoundStop{};
    std::array<QPushButton*, 8> cmdBrowseCustomSound{};
    std::array<QPushButton*, 8> cmdCustomSoundPreview{};
    std::array<QPushButton*, 8> cmdCustomSoundStop{};
    std::array<QLineEdit*, 8> txtCustomSoundFileName{};
    std::array<QLineEdit*, 8> txtCustomSoundFolder{};
    QPushButton* cmdIdenticalAthans = nullptr;
    // The option group of an audio slot (0..4, 6, 7); nullptr for the others.
    OptionArray* AudioOptions(int slot);

    // ---- other settings (page 1) ----
    QGroupBox* fraVisualAlerts = nullptr;
    QCheckBox* chkDisplayBalloonTips = nullptr;
    QCheckBox* chkDisplayMainScreen = nullptr;
    QCheckBox* chkFlashTrayIcon = nullptr;
    QGroupBox* fraSecurity = nullptr;
    OptionArray optSecurityType;
    QCheckBox* chkDisplaySplashScreen = nullptr;
    QGroupBox* fraDDE = nullptr;
    QCheckBox* chkActivateDDEServer = nullptr;
    QLabel* lblDDEAdviseRate = nullptr;
    QComboBox* cboDDEAdviseRate = nullptr;
    QGroupBox* fraColorSelection = nullptr;
    OptionArray optColorType;
    QGroupBox* fraStandard = nullptr;
    QGroupBox* fraHighlight = nullptr;
    std::array<QLabel*, 2> lblFace{}, lblHands{}, lblSeconds{}, lblTime{};
    std::array<ColorSwatch*, 6> txtColor{};
    std::array<QPushButton*, 6> cmdBrowseCustomColor{};
    std::array<PictureBox*, 2> picClock{};
    std::array<LineShape*, 2> LHP{}, LMP{}, LSP{};
    QGroupBox* fraImageSelection = nullptr;
    OptionArray optImageType;
    Image* imgKabaa = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QLineEdit* txtCustomImageFileName = nullptr;
    QLineEdit* txtCustomImageFolder = nullptr;
    QPushButton* cmdBrowseCustomImage = nullptr;
    // Says under the preview when the custom picture or folder cannot be shown.
    QLabel* lblImageProblem = nullptr;

    // ---- reminders (page 2) ----
    QGroupBox* fraAlBaqarah238 = nullptr;
    Image* imgAlBaqarah238 = nullptr;
    QGroupBox* fraReminderBefore = nullptr;
    QGroupBox* fraReminderAfter = nullptr;
    std::array<QLabel*, 7> lblReminderBefore{}, lblReminderAfter{}; // 1..6
    std::array<QComboBox*, 7> cboReminderBefore{}, cboReminderAfter{};
    QPushButton* cmdIdenticalBefore = nullptr;
    QPushButton* cmdIdenticalAfter = nullptr;
    QGroupBox* fraVisualAlertsReminder = nullptr;
    QCheckBox* chkDisplayBalloonTipsReminder = nullptr;
    QCheckBox* chkDisplayMainScreenReminder = nullptr;
    QCheckBox* chkFlashTrayIconReminder = nullptr;
    QGroupBox* fraAudioAlertsReminder = nullptr;

    // ---- life cycle and change tracking (frmPreferences_load.cpp) ----
    void cmdSave_Click();
    void cmdExit_Click();
    void chkActivateDDEServer_Click();
    void cboDDEAdviseRate_Click();
    void MarkChanged() { Changed = true; }

    // ---- texts (frmPreferences_texts.cpp) ----
    void TranslateForm();

    // ---- saving (frmPreferences_save.cpp) ----
    // Writes every value; false (after telling the user) when a value could not be stored.
    bool SaveSettings();

    // ---- sounds (frmPreferences_sound.cpp) ----
    void optAudioType_Click(int slot, int Index);
    void UpdateCustomSoundControls(int option, int slot);
    void cboSelectedSound_Click(int Index);
    void cmdSoundPreview_Click(int Index);
    void cmdSoundStop_Click(int Index);
    void PlayAlBaqarah238(int Button);
    void cmdBrowseCustomSound_Click(int Index);
    void cmdCustomSoundPreview_Click(int Index);
    void cmdCustomSoundStop_Click(int Index);
    void cmdIdenticalAthans_Click();

    // ---- defaults (frmPreferences_defaults.cpp) ----
    void cmdDefaults_Click();

    // ---- clock colours and preview (frmPreferences_colors.cpp) ----
    void optColorType_Click(int Index);
    void cmdBrowseCustomColor_Click(int Index);
    void tmrMain_Timer();
    // Sets the colour field and its swatch together.
    void SetColor(int index, std::int32_t color);

    // ---- picture (frmPreferences_picture.cpp) ----
    void optImageType_Click(int Index);
    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdBrowseCustomImage_Click();
    // Shows built-in picture n in the preview; false when there is none.
    bool ShowBuiltInImage(std::int16_t n);
    // Shows the custom picture file; false (the preview saying so) when it cannot be loaded.
    bool ShowCustomImage();
    // Shows a random picture of the custom folder; false (saying so) when it holds none.
    bool ShowCustomImageFolder();

    // ---- reminders (frmPreferences_reminders.cpp) ----
    void cboReminder_Click();
    void cmdIdenticalBefore_Click();
    void cmdIdenticalAfter_Click();

protected:
    void Form_Load() override;
    void Form_Unload(int* cancel) override;

private:
    // Layout, one page each (frmPreferences_page*.cpp).
    void createAudioPage();
    QGroupBox* createSlotFrame(int slot, OptionArray& options, int optionCount);
    void createOtherPage();
    void createReminderPage();
    QCheckBox* newCheckBox(QWidget* parent, const char* name);
    QPushButton* newPictureButton(QWidget* parent, const char* name, int icon);
    void connectOptions(OptionArray& options, void (*handler)(frmPreferences*, int));
    void showImageProblem(const QString& text);
};

// The text after the last "\" or "/" of a path; the whole path when it holds neither.
QString GetFileName(const QString& sPath);
// The same, with blanks removed at both ends. A folder at the root of a file system ("/",
// "C:\") is named by the whole path, so that it still shows.
QString GetFolderName(const QString& sPath);

// The sixteen shades of a colour for the colour dialog: from near-white down to the colour
// (entry 8) and on towards black. False when the colour is not an RGB value.
bool FillCustomColors(std::array<std::int32_t, 16>& colors, std::int32_t lColor);
std::int32_t GetRed(std::int32_t lColor);
std::int32_t GetGreen(std::int32_t lColor);
std::int32_t GetBlue(std::int32_t lColor);
