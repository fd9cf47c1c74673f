// The main window's sound, mute switch, tray icon pictures and Kaaba picture.
#include "frmTallix.h"

#include "core/audio.h"
#include "core/kaaba.h"
#include "core/settings.h"
#include "mTray.h"
#include "runtime/ErrObject.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

void frmTallix::createSoundControls() {
    for (int k = 0; k < int(imgIconKabaa.size()); ++k) {
        imgIconKabaa[k] = new Image(this);
        imgIconKabaa[k]->setObjectName(QStringLiteral("imgIconKabaa%1").arg(k));
        imgIconKabaa[k]->SetPicture(LoadPicture(QStringLiteral(":/icons/tray%1.png").arg(k)));
        imgIconKabaa[k]->hide();
    }
    for (int n = 1; n <= kBuiltInKabaaPictures; ++n)
        imgKabaaList.Add(LoadPicture(QStringLiteral(":/kaaba/%1.png").arg(n)));

    tlbMain = new QToolBar(this);
    tlbMain->setObjectName(QStringLiteral("tlbMain"));
    const auto addButton = [this](const QString& key, int icon, bool toggle) {
        QAction* button = tlbMain->addAction(imgIconKabaa[icon]->Picture().pixmap(),
                                             QStringLiteral("Audio On/Off"));
        button->setObjectName(key);
        button->setCheckable(toggle);
        return button;
    };
    addButton(QStringLiteral("AudioOn"), 0, false)->setVisible(gMuteAll == 0);
    addButton(QStringLiteral("AudioOff"), 2, true)->setVisible(gMuteAll != 0);
    tlbMainButton(QStringLiteral("AudioOff"))->setChecked(true);
    connect(tlbMain, &QToolBar::actionTriggered, this, &frmTallix::tlbMain_ButtonClick);
    tlbMain->setGeometry(0, 0, width(), tlbMain->sizeHint().height());

    imgKabaa = new Image(this);
    imgKabaa->setObjectName(QStringLiteral("imgKabaa"));
    imgKabaa->SetStretch(true);
    imgKabaa->setGeometry(8, tlbMain->height() + 8, 160, 120);
    connect(imgKabaa, &Image::MouseUp, this, &frmTallix::imgKabaa_MouseUp);

    mPopupSys = new QMenu(QStringLiteral("&SysTray"), this);
    mPopupSys->setObjectName(QStringLiteral("mPopupSys"));
    mnuMuteAll = mPopupSys->addAction(QStringLiteral("&Mute All"));
    mnuMuteAll->setObjectName(QStringLiteral("mnuMuteAll"));
    mnuMuteAll->setCheckable(true);
    mnuMuteAll->setChecked(gMuteAll != 0);
    // The check follows the mute state, which the click handler changes.
    connect(mnuMuteAll, &QAction::triggered, this, [this] {
        mnuMuteAll->setChecked(gMuteAll != 0);
        mnuMuteAll_Click();
    });

    gTrayIconData.cbSize = sizeof(NOTIFYICONDATA);
    gTrayIconData.hWnd = hWnd();
    gTrayIconData.uID = kTrayIconId;
    gTrayIconData.uCallbackMessage = kTrayCallbackMessage;
}

QAction* frmTallix::tlbMainButton(const QString& key) const {
    if (!tlbMain)
        return nullptr;
    for (QAction* button : tlbMain->actions())
        if (button->objectName() == key)
            return button;
    return nullptr;
}

void frmTallix::mnuMuteAll_Click() {
    if (!SetMuteAll(gMuteAll == 0 ? 1 : 0))
        ReportUnsavedSetting(QStringLiteral("MuteAll"));
}

void frmTallix::imgKabaa_MouseUp(int Button, int Shift, float X, float Y) {
    if (Button != vbLeftButton || !imgKabaa)
        return;
    switch (gImageType) {
    case 0:
    case 1:
        // A click shows another built-in picture, even when one was chosen.
        if (!ShowBuiltInKabaa(*imgKabaa, Random(1, kBuiltInKabaaPictures)))
            Err.Clear();
        break;
    case 3:
        PickRandomImageFromFolder(gCustomImageFolder, *imgKabaa);
        break;
    default:
        break; // one fixed picture file
    }
}
