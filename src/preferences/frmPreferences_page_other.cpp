// Page 1, Other Settings: visual alerts, Pray Now action and splash screen, the data server,
// the clock colours with their two live clocks, and the Kaaba picture.
#include "frmPreferences.h"

#include "runtime/Colors.h"
#include "runtime/ImageControl.h"
#include "runtime/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QRadioButton* newOption(QWidget* parent, const QString& name) {
    auto* option = new QRadioButton(parent);
    option->setObjectName(name);
    return option;
}
} // namespace

void frmPreferences::createOtherPage() {
    auto* page = new QWidget(tabMain);

    fraVisualAlerts = new QGroupBox(page);
    fraVisualAlerts->setObjectName(QStringLiteral("fraVisualAlerts"));
    chkDisplayBalloonTips = newCheckBox(fraVisualAlerts, "chkDisplayBalloonTips");
    chkDisplayMainScreen = newCheckBox(fraVisualAlerts, "chkDisplayMainScreen");
    chkFlashTrayIcon = newCheckBox(fraVisualAlerts, "chkFlashTrayIcon");
    auto* alerts = new QVBoxLayout(fraVisualAlerts);
    for (QWidget* w :
         {static_cast<QWidget*>(chkDisplayBalloonTips), static_cast<QWidget*>(chkDisplayMainScreen),
          static_cast<QWidget*>(chkFlashTrayIcon)})
        alerts->addWidget(w);
    alerts->addStretch(1);

    fraSecurity = new QGroupBox(page);
    fraSecurity->setObjectName(QStringLiteral("fraSecurity"));
    optSecurityType.add(newOption(fraSecurity, QStringLiteral("optSecurityType(0)")));
    optSecurityType.add(newOption(fraSecurity, QStringLiteral("optSecurityType(1)")));
    connectOptions(optSecurityType, [](frmPreferences* self, int) { self->MarkChanged(); });
    chkDisplaySplashScreen = newCheckBox(fraSecurity, "chkDisplaySplashScreen");
    auto* security = new QVBoxLayout(fraSecurity);
    security->addWidget(optSecurityType[0]);
    security->addWidget(optSecurityType[1]);
    security->addWidget(chkDisplaySplashScreen);
    security->addStretch(1);

    fraDDE = new QGroupBox(page);
    fraDDE->setObjectName(QStringLiteral("fraDDE"));
    chkActivateDDEServer = new QCheckBox(fraDDE);
    chkActivateDDEServer->setObjectName(QStringLiteral("chkActivateDDEServer"));
    connect(chkActivateDDEServer, &QCheckBox::toggled, this,
            &frmPreferences::chkActivateDDEServer_Click);
    lblDDEAdviseRate = new QLabel(fraDDE);
    lblDDEAdviseRate->setObjectName(QStringLiteral("lblDDEAdviseRate"));
    lblDDEAdviseRate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cboDDEAdviseRate = new QComboBox(fraDDE);
    cboDDEAdviseRate->setObjectName(QStringLiteral("cboDDEAdviseRate"));
    lblDDEAdviseRate->setBuddy(cboDDEAdviseRate);
    lblDDEAdviseRate->setEnabled(false);
    cboDDEAdviseRate->setEnabled(false);
    connect(cboDDEAdviseRate, &QComboBox::currentIndexChanged, this,
            &frmPreferences::cboDDEAdviseRate_Click);
    auto* dde = new QHBoxLayout(fraDDE);
    dde->addWidget(chkActivateDDEServer);
    dde->addStretch(1);
    dde->addWidget(lblDDEAdviseRate);
    dde->addWidget(cboDDEAdviseRate);

    fraColorSelection = new QGroupBox(page);
    fraColorSelection->setObjectName(QStringLiteral("fraColorSelection"));
    optColorType.add(newOption(fraColorSelection, QStringLiteral("optColorType(0)")));
    optColorType.add(newOption(fraColorSelection, QStringLiteral("optColorType(1)")));
    connectOptions(optColorType, [](frmPreferences* self, int i) { self->optColorType_Click(i); });
    auto* colors = new QVBoxLayout(fraColorSelection);
    auto* colorRow = new QHBoxLayout();
    colorRow->addWidget(optColorType[0]);
    colorRow->addWidget(optColorType[1]);
    colorRow->addStretch(1);
    colors->addLayout(colorRow);
    auto* clocks = new QHBoxLayout();
    for (int k = 0; k < 2; ++k) {
        auto* frame = new QGroupBox(fraColorSelection);
        frame->setObjectName(k == 0 ? QStringLiteral("fraStandard")
                                    : QStringLiteral("fraHighlight"));
        (k == 0 ? fraStandard : fraHighlight) = frame;
        auto* pic = new PictureBox(frame);
        pic->setObjectName(QStringLiteral("picClock(%1)").arg(k));
        pic->setFixedSize(67, 67); // 1000 twips
        pic->SetBackColor(vbButtonFace);
        pic->ForeColor = vbWindowText;
        pic->FillStyle = vbFSSolid;
        picClock[std::size_t(k)] = pic;
        LHP[std::size_t(k)] = new LineShape(pic, QStringLiteral("LHP(%1)").arg(k));
        LHP[std::size_t(k)]->BorderWidth = 2;
        LMP[std::size_t(k)] = new LineShape(pic, QStringLiteral("LMP(%1)").arg(k));
        LMP[std::size_t(k)]->BorderWidth = 2;
        LSP[std::size_t(k)] = new LineShape(pic, QStringLiteral("LSP(%1)").arg(k));
        LSP[std::size_t(k)]->BorderWidth = 1;
        auto* time = new QLabel(frame);
        time->setObjectName(QStringLiteral("lblTime(%1)").arg(k));
        time->setAlignment(Qt::AlignCenter);
        time->setText(QStringLiteral("HH:MM:SS"));
        lblTime[std::size_t(k)] = time;
        auto* left = new QVBoxLayout();
        left->addWidget(pic, 0, Qt::AlignHCenter);
        left->addWidget(time);
        left->addStretch(1);
        auto* right = new QVBoxLayout();
        right->setSpacing(1);
        std::array<QLabel*, 2>* captions[] = {&lblFace, &lblHands, &lblSeconds};
        for (int j = 0; j < 3; ++j) {
            const int index = 3 * k + j;
            auto* caption = new QLabel(frame);
            (*captions[j])[std::size_t(k)] = caption;
            auto* swatch = new ColorSwatch(frame);
            swatch->setObjectName(QStringLiteral("txtColor(%1)").arg(index));
            txtColor[std::size_t(index)] = swatch;
            auto* browse = new QPushButton(frame);
            browse->setObjectName(QStringLiteral("cmdBrowseCustomColor(%1)").arg(index));
            browse->setFixedWidth(32);
            browse->setAutoDefault(false);
            cmdBrowseCustomColor[std::size_t(index)] = browse;
            connect(browse, &QPushButton::clicked, this,
                    [this, index] { cmdBrowseCustomColor_Click(index); });
            auto* row = new QHBoxLayout();
            row->addWidget(swatch, 1);
            row->addWidget(browse);
            right->addWidget(caption);
            right->addLayout(row);
        }
        right->addStretch(1);
        auto* inner = new QHBoxLayout(frame);
        inner->addLayout(left);
        inner->addLayout(right, 1);
        clocks->addWidget(frame, 1);
    }
    colors->addLayout(clocks);

    fraImageSelection = new QGroupBox(page);
    fraImageSelection->setObjectName(QStringLiteral("fraImageSelection"));
    imgKabaa = new Image(fraImageSelection);
    imgKabaa->setObjectName(QStringLiteral("imgKabaa"));
    imgKabaa->setFixedSize(160, 120);
    imgKabaa->SetStretch(true);
    imgKabaa->setFrameShape(QFrame::StyledPanel);
    imgKabaa->setAlignment(Qt::AlignCenter);
    imgKabaa->setWordWrap(true);
    lblImageProblem = new QLabel(fraImageSelection);
    lblImageProblem->setObjectName(QStringLiteral("lblImageProblem"));
    lblImageProblem->setWordWrap(true);
    lblImageProblem->setVisible(false);
    for (int k = 0; k < 4; ++k)
        optImageType.add(newOption(fraImageSelection, QStringLiteral("optImageType(%1)").arg(k)));
    connectOptions(optImageType, [](frmPreferences* self, int i) { self->optImageType_Click(i); });
    cmdPrevious = newPictureButton(fraImageSelection, "cmdPrevious", QStyle::SP_ArrowBack);
    cmdNext = newPictureButton(fraImageSelection, "cmdNext", QStyle::SP_ArrowForward);
    connect(cmdPrevious, &QPushButton::clicked, this, &frmPreferences::cmdPrevious_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmPreferences::cmdNext_Click);
    txtCustomImageFileName = new QLineEdit(fraImageSelection);
    txtCustomImageFileName->setObjectName(QStringLiteral("txtCustomImageFileName"));
    txtCustomImageFolder = new QLineEdit(fraImageSelection);
    txtCustomImageFolder->setObjectName(QStringLiteral("txtCustomImageFolder"));
    txtCustomImageFileName->setEnabled(false);
    txtCustomImageFolder->setEnabled(false);
    txtCustomImageFolder->setVisible(false);
    for (QLineEdit* box : {txtCustomImageFileName, txtCustomImageFolder})
        connect(box, &QLineEdit::textChanged, box, [box] { box->setCursorPosition(0); });
    cmdBrowseCustomImage = new QPushButton(fraImageSelection);
    cmdBrowseCustomImage->setObjectName(QStringLiteral("cmdBrowseCustomImage"));
    cmdBrowseCustomImage->setFixedWidth(32);
    cmdBrowseCustomImage->setAutoDefault(false);
    connect(cmdBrowseCustomImage, &QPushButton::clicked, this,
            &frmPreferences::cmdBrowseCustomImage_Click);
    auto* image = new QVBoxLayout(fraImageSelection);
    image->addWidget(imgKabaa, 0, Qt::AlignHCenter);
    image->addWidget(lblImageProblem);
    image->addWidget(optImageType[0]);
    image->addWidget(optImageType[1]);
    auto* steps = new QHBoxLayout();
    steps->addStretch(1);
    steps->addWidget(cmdPrevious);
    steps->addWidget(cmdNext);
    steps->addStretch(1);
    image->addLayout(steps);
    image->addWidget(optImageType[2]);
    image->addWidget(optImageType[3]);
    auto* path = new QHBoxLayout();
    auto* place = new QGridLayout();
    place->addWidget(txtCustomImageFileName, 0, 0);
    place->addWidget(txtCustomImageFolder, 0, 0);
    path->addLayout(place, 1);
    path->addWidget(cmdBrowseCustomImage);
    image->addLayout(path);
    image->addStretch(1);

    auto* grid = new QGridLayout(page);
    grid->addWidget(fraVisualAlerts, 0, 0);
    grid->addWidget(fraSecurity, 0, 1);
    grid->addWidget(fraDDE, 1, 0, 1, 2);
    grid->addWidget(fraColorSelection, 2, 0, 1, 2);
    grid->addWidget(fraImageSelection, 0, 2, 3, 1);
    grid->setRowStretch(2, 1);
    tabMain->addTab(page, QString());
}
