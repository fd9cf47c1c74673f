// The dialog's frame: the pages, the buttons below them and the one-second timer; the option
// groups and colour boxes it is built of; the two path-name routines; the opener.
#include "frmPreferences.h"

#include "core/kaaba.h"
#include "core/mMain.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Colors.h"
#include "runtime/Interaction.h"
#include "runtime/StandardIcon.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

void ShowPreferencesDialog(std::int16_t iStartTab) {
    // One modal window at a time: a second request finds the one already open.
    if (BringModalWindowForward())
        return;
    gStartTab = iStartTab;
    DoEvents();
    // One dialog at a time: a second opener finds the one already open.
    if (Form* open = FindForm(QStringLiteral("frmPreferences"))) {
        open->activateWindow();
        return;
    }
    auto* dialog = new frmPreferences();
    dialog->Load();
    // An athan may have closed it while it loaded.
    if (!Forms().contains(dialog))
        return;
    dialog->CenterOver(MainWindow());
    dialog->Show(vbModal);
}

int OptionArray::Selected() const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked())
            return int(i);
    return -1;
}

bool OptionArray::Select(int index) {
    if (index < 0 || index >= Count())
        return false;
    buttons_[std::size_t(index)]->setChecked(true);
    return true;
}

ColorSwatch::ColorSwatch(QWidget* parent) : QLabel(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setEnabled(false);
    setFixedHeight(20);
}

void ColorSwatch::SetBackColor(std::int32_t color) {
    color_ = color;
    QPalette pal = palette();
    const QColor shown = TranslateColor(color);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Window, shown);
    setPalette(pal);
}

frmPreferences::frmPreferences(QWidget* parent) : Form(QStringLiteral("frmPreferences"), parent) {
    tabMain = new QTabWidget(this);
    tabMain->setObjectName(QStringLiteral("tabMain"));
    createAudioPage();
    createOtherPage();
    createReminderPage();
    tabMain->setTabIcon(0, StandardIcon(QStyle::SP_MediaVolume));
    tabMain->setTabIcon(1, StandardIcon(QStyle::SP_FileDialogDetailedView));
    tabMain->setTabIcon(2, StandardIcon(QStyle::SP_MessageBoxInformation));

    cmdDefaults = new QPushButton(this);
    cmdDefaults->setObjectName(QStringLiteral("cmdDefaults"));
    cmdSave = new QPushButton(this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdExit = new QPushButton(this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    // Enter is OK, as in any dialog; Esc is Cancel.
    SetDialogButtons(cmdSave, cmdExit);
    connect(cmdDefaults, &QPushButton::clicked, this, &frmPreferences::cmdDefaults_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmPreferences::cmdSave_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmPreferences::cmdExit_Click);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cmdDefaults);
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdExit);
    auto* main = new QVBoxLayout(this);
    main->addWidget(tabMain);
    main->addLayout(buttons);
    MakeFixedDialog();

    tmrMain = new QTimer(this);
    tmrMain->setInterval(1000);
    connect(tmrMain, &QTimer::timeout, this, &frmPreferences::tmrMain_Timer);
}

frmPreferences::~frmPreferences() = default;

OptionArray* frmPreferences::AudioOptions(int slot) {
    switch (slot) {
    case 0:
        return &optAudioTypeFajr;
    case 1:
        return &optAudioTypeDhuhr;
    case 2:
        return &optAudioTypeAsr;
    case 3:
        return &optAudioTypeMaghrib;
    case 4:
        return &optAudioTypeIshaa;
    case 6:
        return &optAudioTypeBismillah;
    case 7:
        return &optAudioTypeReminder;
    default:
        return nullptr;
    }
}

void frmPreferences::connectOptions(OptionArray& options, void (*handler)(frmPreferences*, int)) {
    for (int i = 0; i < options.Count(); ++i) {
        connect(options[i], &QRadioButton::toggled, this, [this, handler, i](bool on) {
            if (on)
                handler(this, i);
        });
    }
}

QCheckBox* frmPreferences::newCheckBox(QWidget* parent, const char* name) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    connect(box, &QCheckBox::toggled, this, &frmPreferences::MarkChanged);
    return box;
}

QPushButton* frmPreferences::newPictureButton(QWidget* parent, const char* name, int icon) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(StandardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    button->setFixedSize(26, 24);
    button->setAutoDefault(false);
    return button;
}

namespace {
qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}
} // namespace

QString GetFileName(const QString& sPath) {
    return sPath.mid(lastSeparator(sPath) + 1);
}

QString GetFolderName(const QString& sPath) {
    const QString name = TrimBlanks(sPath.mid(lastSeparator(sPath) + 1));
    // The root of a file system has no last name: it is shown as it is.
    if (name.isEmpty())
        return TrimBlanks(sPath);
    return name;
}
