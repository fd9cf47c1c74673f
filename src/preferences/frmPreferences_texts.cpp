// Every text of the dialog from the string table: captions, tips, the lists' entries and the
// texts its handlers use later. Each list is emptied first and filled at positions 0, 1, 2...:
// the positions are what the settings keep.
#include "frmPreferences.h"

#include "runtime/ResStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

QString T(int id) {
    return LoadResString(id);
}

// A file-dialog filter: each "<NULL>" a NUL, and two NULs at the end.
QString Filter(int id) {
    return LoadResString(id).replace(QStringLiteral("<NULL>"), QString(QChar(0))) +
           QString(2, QChar(0));
}

void fill(QComboBox* list, std::initializer_list<int> ids) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (int id : ids)
        list->insertItem(list->count(), T(id));
    list->setCurrentIndex(-1);
}

constexpr std::initializer_list<int> kFajrList = {279, 280, 281};
constexpr std::initializer_list<int> kAthanList = {282, 509, 510, 283, 284, 281};
constexpr std::initializer_list<int> kSuraList = {285, 286, 493, 494, 287, 288, 289, 290,
                                                  291, 292, 293, 294, 501, 500, 295, 296,
                                                  297, 298, 299, 300, 301, 302, 281};
constexpr std::initializer_list<int> kBismillahList = {303, 304, 389, 487, 488, 281};

} // namespace

void frmPreferences::TranslateForm() {
    clsToolTip& tip = *ToolTip;
    setWindowTitle(T(272));

    fill(cboDDEAdviseRate, {273, 274, 275, 276, 277, 278});
    fill(cboSelectedSound[0], kFajrList);
    for (int i = 1; i <= 4; ++i)
        fill(cboSelectedSound[std::size_t(i)], kAthanList);
    fill(cboSelectedSound[5], kSuraList);
    fill(cboSelectedSound[6], kBismillahList);
    fill(cboSelectedSound[7], kBismillahList);
    fill(cboSelectedSound[8], kSuraList);

    const auto captionTip = [&](QAbstractButton* control, int caption, int tipId) {
        control->setText(T(caption));
        SetControlToolTip(tip, control, LoadResStringLines(tipId));
    };
    captionTip(chkActivateDDEServer, 305, 306);
    captionTip(optSecurityType[1], 307, 308);
    captionTip(chkDisplayBalloonTips, 309, 310);
    captionTip(chkDisplayMainScreen, 311, 312);
    captionTip(chkFlashTrayIcon, 313, 314);
    captionTip(chkDisplaySplashScreen, 315, 316);
    captionTip(optSecurityType[0], 317, 318);

    for (int j = 0; j < 6; ++j) {
        cmdBrowseCustomColor[std::size_t(j)]->setText(T(320));
        cmdBrowseCustomColor[std::size_t(j)]->setToolTip(T(321 + j));
    }
    cmdBrowseCustomImage->setText(T(320));
    cmdBrowseCustomImage->setToolTip(T(327));
    const int browseTips[] = {328, 329, 330, 331, 332, 0, 333, 455};
    for (int s : {0, 1, 2, 3, 4, 6, 7}) {
        const auto i = std::size_t(s);
        cmdBrowseCustomSound[i]->setText(T(320));
        cmdBrowseCustomSound[i]->setToolTip(T(browseTips[i]));
        const bool athan = s <= 4;
        cmdCustomSoundPreview[i]->setToolTip(T(athan ? 334 : s == 6 ? 335 : 456));
        cmdCustomSoundStop[i]->setToolTip(T(athan ? 336 : s == 6 ? 337 : 457));
        cmdSoundPreview[i]->setToolTip(T(athan ? 334 : 340));
        cmdSoundStop[i]->setToolTip(T(athan ? 336 : 341));
    }
    cmdDefaults->setText(T(210));
    cmdExit->setText(T(211));
    cmdNext->setToolTip(T(338));
    cmdPrevious->setToolTip(T(339));
    cmdSave->setText(T(212));

    fraVisualAlerts->setTitle(T(342));
    SetControlToolTip(tip, fraVisualAlerts, LoadResStringLines(343));
    fraAsr->setTitle(T(344));
    fraBismillah->setTitle(T(345));
    fraColorSelection->setTitle(T(346));
    fraDDE->setTitle(T(347));
    SetControlToolTip(tip, fraDDE, LoadResStringLines(348));
    fraDhuhr->setTitle(T(349));
    fraFajr->setTitle(T(350));
    fraHighlight->setTitle(T(351));
    fraImageSelection->setTitle(T(352));
    fraIshaa->setTitle(T(353));
    fraMaghrib->setTitle(T(354));
    fraSecurity->setTitle(T(355));
    SetControlToolTip(tip, fraSecurity, LoadResStringLines(356));
    fraStandard->setTitle(T(357));
    cmdIdenticalAthans->setToolTip(T(490));
    lblDDEAdviseRate->setText(T(358));
    for (std::size_t k = 0; k < 2; ++k) {
        lblFace[k]->setText(T(359));
        lblHands[k]->setText(T(360));
        lblSeconds[k]->setText(T(361));
    }

    OptionArray* prayers[] = {&optAudioTypeFajr, &optAudioTypeDhuhr, &optAudioTypeAsr,
                              &optAudioTypeMaghrib, &optAudioTypeIshaa};
    for (int p = 0; p < 5; ++p) {
        OptionArray& o = *prayers[p];
        o[0]->setText(T(362));
        o[1]->setText(T(363));
        o[2]->setText(T(364));
        o[3]->setText(T(411));
        SetControlToolTip(tip, o[3], LoadResStringLines(p == 0 ? 449 : 448));
    }
    const int startup[] = {365, 366, 367, 411, 368};
    for (int k = 0; k < 5; ++k)
        optAudioTypeBismillah[k]->setText(T(startup[k]));
    SetControlToolTip(tip, optAudioTypeBismillah[3], LoadResStringLines(450));
    optColorType[0]->setText(T(369));
    optColorType[1]->setText(T(370));
    const int images[] = {371, 372, 373, 417};
    for (int k = 0; k < 4; ++k)
        optImageType[k]->setText(T(images[k]));
    SetControlToolTip(tip, optImageType[3], LoadResStringLines(451));

    tabMain->setTabText(0, T(374));
    tabMain->setTabText(1, T(375));
    tabMain->setTabText(2, T(502));

    DefaultsQuestion = T(266);
    for (int s = 0; s < 5; ++s)
        SoundDialogTitles[std::size_t(s)] = T(376 + s);
    SoundDialogTitles[5].clear();
    SoundDialogTitles[6] = T(381);
    SoundDialogTitles[7] = T(472);
    ImageDialogTitle = T(382);
    ImageFilter = Filter(383);
    WavFilter = Filter(384);

    for (std::size_t i = 1; i <= 6; ++i) {
        for (QComboBox* list : {cboReminderBefore[i], cboReminderAfter[i]}) {
            const QSignalBlocker quiet(list);
            list->clear();
            for (int p = 0; p <= 12; ++p)
                list->insertItem(p, QString::number(5 * p));
            list->setCurrentIndex(-1);
        }
    }

    fraAlBaqarah238->setTitle(T(489));
    SetControlToolTip(tip, fraAlBaqarah238, LoadResStringLines(497));
    SetControlToolTip(tip, fraReminderBefore, LoadResStringLines(468));
    SetControlToolTip(tip, fraReminderAfter, LoadResStringLines(469));
    for (std::size_t i = 1; i <= 6; ++i) {
        lblReminderBefore[i]->setText(T(502 + int(i)));
        lblReminderAfter[i]->setText(T(502 + int(i)));
    }
    cmdIdenticalBefore->setToolTip(T(486));
    cmdIdenticalAfter->setToolTip(T(486));
    fraVisualAlertsReminder->setTitle(T(460));
    SetControlToolTip(tip, fraVisualAlertsReminder, LoadResStringLines(461));
    captionTip(chkDisplayBalloonTipsReminder, 462, 463);
    captionTip(chkDisplayMainScreenReminder, 464, 465);
    captionTip(chkFlashTrayIconReminder, 466, 467);
    fraAudioAlertsReminder->setTitle(T(459));
    const int reminder[] = {453, 366, 454, 411, 368};
    for (int k = 0; k < 5; ++k)
        optAudioTypeReminder[k]->setText(T(reminder[k]));
    SetControlToolTip(tip, optAudioTypeReminder[3], LoadResStringLines(458));
}
