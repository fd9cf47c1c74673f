// Page 0, Audio Settings: a frame for each athan and one for the start-up sound. The reminder
// sound's frame (page 2) is built here too, from the same parts.
#include "frmPreferences.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>

namespace {
const char* const kFrameNames[] = {
    "fraFajr",  "fraDhuhr", "fraAsr",       "fraMaghrib",
    "fraIshaa", "",         "fraBismillah", "fraAudioAlertsReminder"};
const char* const kOptionNames[] = {"optAudioTypeFajr",      "optAudioTypeDhuhr",
                                    "optAudioTypeAsr",       "optAudioTypeMaghrib",
                                    "optAudioTypeIshaa",     "",
                                    "optAudioTypeBismillah", "optAudioTypeReminder"};
} // namespace

QGroupBox* frmPreferences::createSlotFrame(int slot, OptionArray& options, int optionCount) {
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QString::fromLatin1(kFrameNames[slot]));
    for (int k = 0; k < optionCount; ++k) {
        auto* option = new QRadioButton(frame);
        option->setObjectName(
            QStringLiteral("%1(%2)").arg(QString::fromLatin1(kOptionNames[slot])).arg(k));
        options.add(option);
    }
    for (int k = 0; k < optionCount; ++k) {
        connect(options[k], &QRadioButton::toggled, this, [this, slot, k](bool on) {
            if (on)
                optAudioType_Click(slot, k);
        });
    }

    const auto list = [this, frame](int index) {
        auto* combo = new QComboBox(frame);
        combo->setObjectName(QStringLiteral("cboSelectedSound(%1)").arg(index));
        cboSelectedSound[std::size_t(index)] = combo;
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, index](int) { cboSelectedSound_Click(index); });
        return combo;
    };
    QComboBox* combo = list(slot);
    QComboBox* recitations = nullptr;
    if (slot == 6)
        recitations = list(5);
    else if (slot == 7)
        recitations = list(8);
    if (recitations)
        recitations->setVisible(false);

    const auto s = std::size_t(slot);
    cmdSoundPreview[s] = newPictureButton(frame, "cmdSoundPreview", QStyle::SP_MediaPlay);
    cmdSoundStop[s] = newPictureButton(frame, "cmdSoundStop", QStyle::SP_MediaStop);
    cmdCustomSoundPreview[s] =
        newPictureButton(frame, "cmdCustomSoundPreview", QStyle::SP_MediaPlay);
    cmdCustomSoundStop[s] = newPictureButton(frame, "cmdCustomSoundStop", QStyle::SP_MediaStop);
    cmdBrowseCustomSound[s] = new QPushButton(frame);
    cmdBrowseCustomSound[s]->setObjectName(QStringLiteral("cmdBrowseCustomSound(%1)").arg(slot));
    cmdBrowseCustomSound[s]->setFixedWidth(32);
    cmdBrowseCustomSound[s]->setAutoDefault(false);
    txtCustomSoundFileName[s] = new QLineEdit(frame);
    txtCustomSoundFileName[s]->setObjectName(
        QStringLiteral("txtCustomSoundFileName(%1)").arg(slot));
    txtCustomSoundFolder[s] = new QLineEdit(frame);
    txtCustomSoundFolder[s]->setObjectName(QStringLiteral("txtCustomSoundFolder(%1)").arg(slot));
    for (QLineEdit* box : {txtCustomSoundFileName[s], txtCustomSoundFolder[s]}) {
        box->setEnabled(false); // they only show the names
        box->setMinimumWidth(60);
        // A long name shows its beginning.
        connect(box, &QLineEdit::textChanged, box, [box] { box->setCursorPosition(0); });
    }
    txtCustomSoundFolder[s]->setVisible(false);
    connect(cmdSoundPreview[s], &QPushButton::clicked, this,
            [this, slot] { cmdSoundPreview_Click(slot); });
    connect(cmdSoundStop[s], &QPushButton::clicked, this,
            [this, slot] { cmdSoundStop_Click(slot); });
    connect(cmdCustomSoundPreview[s], &QPushButton::clicked, this,
            [this, slot] { cmdCustomSoundPreview_Click(slot); });
    connect(cmdCustomSoundStop[s], &QPushButton::clicked, this,
            [this, slot] { cmdCustomSoundStop_Click(slot); });
    connect(cmdBrowseCustomSound[s], &QPushButton::clicked, this,
            [this, slot] { cmdBrowseCustomSound_Click(slot); });

    // The list with its Play and Stop buttons; the recitation list shares the list's place.
    auto* listRow = new QHBoxLayout();
    auto* listPlace = new QGridLayout();
    listPlace->addWidget(combo, 0, 0);
    if (recitations)
        listPlace->addWidget(recitations, 0, 0);
    listRow->addLayout(listPlace, 1);
    listRow->addWidget(cmdSoundPreview[s]);
    listRow->addWidget(cmdSoundStop[s]);
    // The path box (file or folder, one place) with its Play, Stop and "..." buttons.
    auto* pathRow = new QHBoxLayout();
    auto* pathPlace = new QGridLayout();
    pathPlace->addWidget(txtCustomSoundFileName[s], 0, 0);
    pathPlace->addWidget(txtCustomSoundFolder[s], 0, 0);
    pathRow->addLayout(pathPlace, 1);
    pathRow->addWidget(cmdCustomSoundPreview[s]);
    pathRow->addWidget(cmdCustomSoundStop[s]);
    pathRow->addWidget(cmdBrowseCustomSound[s]);

    const auto pair = [](QWidget* a, QWidget* b) {
        auto* row = new QHBoxLayout();
        row->addWidget(a);
        row->addWidget(b);
        row->addStretch(1);
        return row;
    };
    auto* box = new QVBoxLayout(frame);
    box->setSpacing(3);
    if (slot == 7) {
        box->addWidget(options[0]);
        auto* row = new QHBoxLayout();
        for (int k : {1, 4, 2, 3})
            row->addWidget(options[k]);
        row->addStretch(1);
        box->addLayout(row);
        auto* bottom = new QHBoxLayout();
        bottom->addLayout(listRow, 1);
        bottom->addSpacing(12);
        bottom->addLayout(pathRow, 1);
        box->addLayout(bottom);
    } else {
        box->addWidget(options[0]);
        if (slot == 6)
            box->addLayout(pair(options[1], options[4]));
        else
            box->addWidget(options[1]);
        box->addLayout(listRow);
        box->addLayout(pair(options[2], options[3]));
        box->addLayout(pathRow);
    }
    box->addStretch(1);
    return frame;
}

void frmPreferences::createAudioPage() {
    auto* page = new QWidget(tabMain);
    fraFajr = createSlotFrame(0, optAudioTypeFajr, 4);
    fraDhuhr = createSlotFrame(1, optAudioTypeDhuhr, 4);
    fraAsr = createSlotFrame(2, optAudioTypeAsr, 4);
    fraMaghrib = createSlotFrame(3, optAudioTypeMaghrib, 4);
    fraIshaa = createSlotFrame(4, optAudioTypeIshaa, 4);
    fraBismillah = createSlotFrame(6, optAudioTypeBismillah, 5);

    // The copy button sits in the Dhuhr frame's upper right corner.
    cmdIdenticalAthans = newPictureButton(fraDhuhr, "cmdIdenticalAthans", QStyle::SP_ArrowDown);
    if (auto* box = qobject_cast<QVBoxLayout*>(fraDhuhr->layout())) {
        auto* top = new QHBoxLayout();
        QLayoutItem* first = box->takeAt(0);
        top->addWidget(first->widget());
        delete first;
        top->addStretch(1);
        top->addWidget(cmdIdenticalAthans);
        box->insertLayout(0, top);
    }
    connect(cmdIdenticalAthans, &QPushButton::clicked, this,
            &frmPreferences::cmdIdenticalAthans_Click);

    auto* grid = new QGridLayout(page);
    grid->addWidget(fraFajr, 0, 0);
    grid->addWidget(fraDhuhr, 0, 1);
    grid->addWidget(fraAsr, 0, 2);
    grid->addWidget(fraMaghrib, 1, 0);
    grid->addWidget(fraIshaa, 1, 1);
    grid->addWidget(fraBismillah, 1, 2);
    tabMain->addTab(page, QString());
}
