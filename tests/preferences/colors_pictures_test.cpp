// The clock colours with their ramp and dialog, the clock preview, and the Kaaba picture.
#include "core/kaaba.h"
#include "prefs_fixture.h"
#include "runtime/Colors.h"
#include "runtime/ImageControl.h"
#include "runtime/PictureBox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The direction of a hand in degrees, 0 at 12 o'clock, clockwise.
double handAngle(const LineShape& hand) {
    const double deg =
        std::atan2(double(hand.X2) - hand.X1, -(double(hand.Y2) - hand.Y1)) * 180 / M_PI;
    return deg < 0 ? deg + 360 : deg;
}

} // namespace

using PreferencesColors = PrefsFixture;
using PreferencesPicture = PrefsFixture;

TEST_F(PreferencesColors, RampRunsFromNearWhiteThroughTheColourTowardsBlack) {
    std::array<std::int32_t, 16> ramp{};
    ASSERT_TRUE(FillCustomColors(ramp, RGB(100, 150, 200)));
    const int expected[16][3] = {
        {11, 17, 22},    {22, 33, 44},    {33, 50, 67},    {44, 67, 89},
        {56, 83, 111},   {67, 100, 133},  {78, 117, 156},  {89, 133, 178},
        {100, 150, 200}, {119, 163, 207}, {139, 176, 214}, {158, 189, 221},
        {178, 202, 228}, {197, 216, 234}, {216, 229, 241}, {236, 242, 248}};
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(ramp[std::size_t(k)], RGB(expected[k][0], expected[k][1], expected[k][2])) << k;

    ASSERT_TRUE(FillCustomColors(ramp, RGB(0, 0, 0)));
    const int black[7] = {32, 64, 96, 128, 159, 191, 223};
    for (int k = 0; k <= 8; ++k)
        EXPECT_EQ(ramp[std::size_t(k)], 0) << k;
    for (int k = 9; k < 16; ++k)
        EXPECT_EQ(ramp[std::size_t(k)], RGB(black[k - 9], black[k - 9], black[k - 9])) << k;
    ASSERT_TRUE(FillCustomColors(ramp, RGB(255, 255, 255)));
    EXPECT_EQ(ramp[0], RGB(28, 28, 28));
    EXPECT_EQ(ramp[8], RGB(255, 255, 255));
    EXPECT_FALSE(FillCustomColors(ramp, vbWindowText)) << "a system colour is no RGB value";
}

// The dialog opens on the colour shown, with that colour at entry 8 of its ramp.
TEST_F(PreferencesColors, ColourDialogOpensOnTheCurrentColour) {
    gColorType = 1;
    gColorHands = RGB(100, 150, 200);
    frmPreferences& dlg = open(1);
    QColor opened;
    QColor entry8;
    QColor pick; // invalid: Cancel
    preferences::InstallColorDialogDriver([&](QColorDialog& dialog) {
        opened = dialog.currentColor();
        entry8 = QColorDialog::customColor(8);
        QDialog& d = dialog;
        if (pick.isValid()) {
            dialog.setCurrentColor(pick);
            d.accept();
        } else {
            d.reject();
        }
    });
    dlg.cmdBrowseCustomColor[1]->click();
    EXPECT_EQ(opened, QColor(100, 150, 200));
    EXPECT_EQ(entry8, QColor(100, 150, 200));
    EXPECT_FALSE(dlg.Changed) << "cancelled";
    EXPECT_EQ(dlg.Colors[1], RGB(100, 150, 200));

    // A swatch with a system colour opens on that colour as the desktop shows it; picking a
    // colour switches to custom colours and leaves the other five as they are.
    dlg.optColorType.Select(0);
    ASSERT_EQ(dlg.Colors[3], vbHighlight);
    pick = QColor(10, 20, 30);
    dlg.cmdBrowseCustomColor[3]->click();
    EXPECT_EQ(opened, TranslateColor(vbHighlight));
    EXPECT_EQ(dlg.Colors[3], RGB(10, 20, 30));
    EXPECT_EQ(dlg.txtColor[3]->BackColor(), RGB(10, 20, 30));
    EXPECT_EQ(dlg.optColorType.Selected(), 1);
    EXPECT_EQ(dlg.Colors[4], vbHighlightText);
    const QImage face = dlg.picClock[1]->image();
    EXPECT_EQ(face.pixelColor(face.width() / 2, face.height() * 3 / 10), QColor(10, 20, 30))
        << "the highlight clock shows the new face at once";
    EXPECT_TRUE(dlg.Changed);

    // OK without a new pick keeps the colour.
    pick = opened = QColor();
    preferences::InstallColorDialogDriver([&](QColorDialog& dialog) {
        opened = dialog.currentColor();
        QDialog& d = dialog;
        d.accept();
    });
    dlg.cmdBrowseCustomColor[0]->click();
    EXPECT_EQ(dlg.Colors[0], RGBOf(opened));
    EXPECT_EQ(TranslateColor(dlg.Colors[0]), TranslateColor(vbWindowBackground));

    // The default colours come back with the first option, and both clocks redraw at once.
    dlg.optColorType.Select(0);
    const std::int32_t defaults[6] = {vbWindowBackground, vbWindowText,    vbInactiveBorder,
                                      vbHighlight,        vbHighlightText, vbInactiveBorder};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(dlg.Colors[i], defaults[i]) << i;
    EXPECT_EQ(int(dlg.LSP[1]->BorderColor), vbInactiveBorder);
    EXPECT_EQ(int(dlg.LHP[1]->BorderColor), vbHighlightText);
}

// The hour hand moves on between the hours, as the main window's does.
TEST_F(PreferencesColors, ClockPreviewHourHandMovesContinuously) {
    frmPreferences& dlg = open(1);
    const struct {
        int h, m, s;
        double hour, minute, second;
    } cases[] = {{10, 30, 0, 315, 180, 0},
                 {10, 31, 0, 315.5, 186, 0},
                 {15, 0, 0, 90, 0, 0},
                 {23, 45, 15, 352.5, 270, 90},
                 {0, 0, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        runtime::SetClock(QDateTime(QDate(2026, 3, 14), QTime(c.h, c.m, c.s)));
        dlg.tmrMain_Timer();
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_NEAR(std::fmod(handAngle(*dlg.LHP[i]) + 0.5, 360), c.hour + 0.5, 0.6)
                << c.h << ":" << c.m;
            EXPECT_NEAR(std::fmod(handAngle(*dlg.LMP[i]) + 0.5, 360), c.minute + 0.5, 0.6);
            EXPECT_NEAR(std::fmod(handAngle(*dlg.LSP[i]) + 0.5, 360), c.second + 0.5, 0.6);
        }
        EXPECT_EQ(dlg.lblTime[0]->text(), dlg.lblTime[1]->text());
    }
}

TEST_F(PreferencesPicture, PreviousAndNextStepRoundTheBuiltInPictures) {
    const struct {
        std::int16_t start;
        bool next;
        std::int16_t expected;
    } cases[] = {{33, true, 1}, {1, false, 33}, {0, true, 1}, {12, true, 13}, {12, false, 11}};
    for (const auto& c : cases) {
        gSelectedImage = c.start;
        gImageType = 0;
        frmPreferences& dlg = open(1);
        dlg.SelectedImage = c.start;
        (c.next ? dlg.cmdNext : dlg.cmdPrevious)->click();
        EXPECT_EQ(dlg.SelectedImage, c.expected) << c.start;
        EXPECT_EQ(dlg.optImageType.Selected(), 1);
        EXPECT_TRUE(dlg.Changed);
        EXPECT_EQ(dlg.imgKabaa->Picture().pixmap().toImage(),
                  window_->imgKabaaList.ListImages(c.expected).Picture.pixmap().toImage());
    }
}

// A stored picture or folder that cannot be shown is said so, and stays stored.
TEST_F(PreferencesPicture, CustomPictureThatCannotBeShownIsKept) {
    const QString broken = file(QStringLiteral("kaaba.jpg"), "not a picture");
    const QString empty = dir_.filePath(QStringLiteral("no-pictures"));
    QDir().mkpath(empty);
    const struct {
        std::int16_t type;
        const char* name;
    } cases[] = {{2, "kaaba.jpg"}, {3, "no-pictures"}};
    for (const auto& c : cases) {
        gImageType = c.type;
        gCustomImage = broken;
        gCustomImageFolder = empty;
        frmPreferences& dlg = open(1);
        EXPECT_EQ(dlg.optImageType.Selected(), c.type);
        EXPECT_EQ(dlg.CustomImage, broken);
        EXPECT_EQ(dlg.CustomImageFolder, empty);
        EXPECT_FALSE(dlg.lblImageProblem->isHidden());
        EXPECT_TRUE(dlg.lblImageProblem->text().contains(QString::fromLatin1(c.name)));
        EXPECT_FALSE(dlg.Changed);
        dlg.chkDisplayMainScreen->setChecked(true);
        ASSERT_TRUE(dlg.SaveSettings());
        EXPECT_EQ(stored(QStringLiteral("ImageType")), QString::number(c.type));
        EXPECT_EQ(stored(QStringLiteral("CustomImage")), broken);
        EXPECT_EQ(stored(QStringLiteral("CustomImageFolder")), empty);
    }
}

TEST_F(PreferencesPicture, ChoosingAPictureFileOrFolder) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString png = dir_.filePath(QStringLiteral("kaaba.png"));
    const QString jpeg = dir_.filePath(QStringLiteral("night.jpeg"));
    ASSERT_TRUE(picture.save(png));
    ASSERT_TRUE(picture.save(jpeg, "JPEG"));
    const QString broken = file(QStringLiteral("broken.gif"), "GIF89a nonsense");
    QString answer;
    QStringList filters;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        QDialog& d = dialog;
        if (answer.isEmpty()) {
            d.reject();
            return;
        }
        dialog.selectFile(answer);
        d.accept();
    });
    frmPreferences& dlg = open(1);
    dlg.cmdBrowseCustomImage->click();
    EXPECT_FALSE(dlg.Changed) << "cancelled";
    ASSERT_FALSE(filters.isEmpty());
    for (const char* ext : {"*.bmp", "*.gif", "*.jpg", "*.jpeg", "*.png"})
        EXPECT_TRUE(filters.first().contains(QString::fromLatin1(ext))) << ext;

    for (const QString& chosen : {png, jpeg}) {
        answer = chosen;
        dlg.cmdBrowseCustomImage->click();
        EXPECT_EQ(dlg.CustomImage, chosen);
        EXPECT_EQ(dlg.optImageType.Selected(), 2);
        EXPECT_EQ(dlg.imgKabaa->Picture().pixmap().size(), QSize(40, 30));
    }
    // A file that is no picture is refused; the earlier choice and the folder stay.
    dlg.CustomImageFolder = QStringLiteral("/pictures");
    answer = broken;
    dlg.cmdBrowseCustomImage->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().contains(QStringLiteral("broken.gif")));
    EXPECT_EQ(dlg.CustomImage, jpeg);
    EXPECT_EQ(dlg.CustomImageFolder, QStringLiteral("/pictures"));
    EXPECT_EQ(dlg.optImageType.Selected(), 2);

    // In folder mode the button asks for a folder.
    dlg.optImageType.Select(3);
    shell_.chosenFolder = dir_.path();
    dlg.cmdBrowseCustomImage->click();
    EXPECT_EQ(dlg.CustomImageFolder, dir_.path());
    EXPECT_EQ(dlg.txtCustomImageFolder->text(), QDir(dir_.path()).dirName());
    EXPECT_FALSE(dlg.txtCustomImageFolder->isHidden());

    // The folder mode takes the types the picture dialog offers: PNG and .jpeg too.
    const QString modern = dir_.filePath(QStringLiteral("modern"));
    ASSERT_TRUE(QDir().mkpath(modern));
    ASSERT_TRUE(picture.save(modern + QStringLiteral("/a.png")));
    ASSERT_TRUE(picture.save(modern + QStringLiteral("/b.jpeg"), "JPEG"));
    shell_.chosenFolder = modern;
    dlg.cmdBrowseCustomImage->click();
    EXPECT_EQ(dlg.CustomImageFolder, modern);
    EXPECT_TRUE(dlg.lblImageProblem->isHidden()) << dlg.lblImageProblem->text().toStdString();
    EXPECT_EQ(dlg.imgKabaa->Picture().pixmap().size(), QSize(40, 30));
}

// A named pipe chosen as the picture, by its name or through a link, is refused at once (a
// reader would wait for a writer that never comes) with a message that says what it is; the
// picture chosen before stays.
TEST_F(PreferencesPicture, ANamedPipeChosenAsThePictureIsRefusedAtOnce) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString png = dir_.filePath(QStringLiteral("kaaba.png"));
    ASSERT_TRUE(picture.save(png));
    const QString pipe = dir_.filePath(QStringLiteral("pipe.png"));
    const QString link = dir_.filePath(QStringLiteral("link.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(pipe).constData(), QFile::encodeName(link).constData()),
              0);
    QString answer = png;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        dialog.selectFile(answer);
        static_cast<QDialog&>(dialog).accept();
    });
    frmPreferences& dlg = open(1);
    dlg.cmdBrowseCustomImage->click();
    ASSERT_EQ(dlg.CustomImage, png);
    for (const QString& chosen : {pipe, link}) {
        SCOPED_TRACE(chosen.toStdString());
        messages_.clear();
        answer = chosen;
        dlg.cmdBrowseCustomImage->click();
        ASSERT_EQ(messages_.size(), 1);
        EXPECT_TRUE(messages_.first().contains(QStringLiteral("is a named pipe, not a regular "
                                                              "file")))
            << qPrintable(messages_.first());
        EXPECT_EQ(dlg.CustomImage, png);
        EXPECT_EQ(dlg.imgKabaa->Picture().pixmap().size(), QSize(40, 30));
    }
}

TEST_F(PreferencesPicture, NamesOfPaths) {
    const struct {
        const char* path;
        const char* file;
        const char* folder;
    } cases[] = {{"/home/user/Music/athan.wav", "athan.wav", "athan.wav"},
                 {"/home/user/My Pictures ", "My Pictures ", "My Pictures"},
                 {"C:\\Sounds\\fajr.wav", "fajr.wav", "fajr.wav"},
                 {"plain", "plain", "plain"},
                 {"/", "", "/"},
                 {"C:\\", "", "C:\\"}};
    for (const auto& c : cases) {
        EXPECT_EQ(GetFileName(QString::fromLatin1(c.path)), QString::fromLatin1(c.file)) << c.path;
        EXPECT_EQ(GetFolderName(QString::fromLatin1(c.path)), QString::fromLatin1(c.folder))
            << c.path;
    }
}

// Each picture mode shows its box and its preview; a custom mode without its file or folder
// previews the selected built-in picture and is saved as random pictures.
TEST_F(PreferencesPicture, ModesShowTheirBoxAndPreview) {
    gSelectedImage = 5;
    gImageType = 1;
    frmPreferences& dlg = open(1);
    const QImage picture5 = window_->imgKabaaList.ListImages(5).Picture.pixmap().toImage();
    const struct {
        int mode;
        bool folderBox;
        const char* stored;
    } cases[] = {{2, false, "0"}, {3, true, "0"}, {1, false, "1"}};
    for (const auto& c : cases) {
        dlg.optImageType.Select(c.mode);
        EXPECT_EQ(!dlg.txtCustomImageFolder->isHidden(), c.folderBox) << c.mode;
        EXPECT_EQ(dlg.txtCustomImageFileName->isHidden(), c.folderBox);
        EXPECT_EQ(dlg.imgKabaa->Picture().pixmap().toImage(), picture5) << c.mode;
        ASSERT_TRUE(dlg.SaveSettings());
        EXPECT_EQ(stored(QStringLiteral("ImageType")), QString::fromLatin1(c.stored)) << c.mode;
    }
    // Random pictures draw one and keep its number.
    dlg.optImageType.Select(0);
    ASSERT_GE(dlg.SelectedImage, 1);
    ASSERT_LE(dlg.SelectedImage, 33);
    EXPECT_EQ(dlg.imgKabaa->Picture().pixmap().toImage(),
              window_->imgKabaaList.ListImages(dlg.SelectedImage).Picture.pixmap().toImage());
}
