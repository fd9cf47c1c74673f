#include "frmSplash.h"

#include "mAPI.h"
#include "mMain.h"
#include "mainwindow/frmTallix.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "runtime/App.h"
#include "runtime/Colors.h"
#include "runtime/WorkArea.h"

#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {
// The link: a label that takes the focus from the keyboard and then shows it.
class LinkLabel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        // Round the text, within the label.
        const QRect text = fontMetrics().boundingRect(this->text());
        focus.rect = QRect(QPoint(0, 0), text.size() + QSize(6, 2)).intersected(rect());
        focus.rect.moveCenter(rect().center());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
};

constexpr std::int32_t kLinkNormal = 0x000000;
constexpr std::int32_t kLinkHovered = 0xFF0000;
constexpr std::int32_t kLinkPressed = 0x0000FF;

// Twips of the window's design, in this screen's pixels.
int px(int twips) {
    return twips / 15;
}
} // namespace

frmSplash::frmSplash(QWidget* parent) : Form(QStringLiteral("frmSplash"), parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFixedSize(px(6885), px(7770));
    setMouseTracking(true);

    imgBismillah = new Image(this);
    imgBismillah->setObjectName(QStringLiteral("imgBismillah"));
    imgBismillah->SetPicture(LoadPicture(QStringLiteral(":/pictures/bismillah.png")));
    imgBismillah->setGeometry(px(67), 0, px(6750), px(6840));

    const auto makeLabel = [this](const char* name, int top, int height, double points,
                                  QLabel* label) {
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        QFont font(QStringLiteral("Tahoma"));
        font.setPointSizeF(points);
        font.setBold(true);
        font.setItalic(true);
        label->setFont(font);
        label->setGeometry(px(5), px(top), px(6875), px(height));
        label->setMouseTracking(true);
        label->installEventFilter(this);
        return label;
    };
    // A work area lower than the window (a small screen with a panel): the picture gives up
    // the height that is missing, kept in proportion and in the middle, so the name, the
    // version and the link stay on the screen.
    const QRect area = runtime::WorkAreaOf(this);
    const int missing =
        area.isEmpty() ? 0 : std::clamp(height() - area.height(), 0, imgBismillah->height() / 2);
    if (missing > 0) {
        const QRect picture = imgBismillah->geometry();
        const int shownHeight = picture.height() - missing;
        const int shownWidth = picture.width() * shownHeight / picture.height();
        imgBismillah->setGeometry(picture.x() + (picture.width() - shownWidth) / 2, 0, shownWidth,
                                  shownHeight);
        imgBismillah->SetStretch(true);
        setFixedSize(width(), height() - missing);
    }
    lblTallixTime = makeLabel("lblTallixTime", 6840, 435, 18, new QLabel(this));
    lblURL = makeLabel("lblURL", 7321, 375, 15.75, new LinkLabel(this));
    // The window itself has the focus as it opens and takes Escape, Return and Space; Tab
    // takes it to the link.
    lblURL->setFocusPolicy(Qt::TabFocus);
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    for (QLabel* label : {lblTallixTime, lblURL})
        label->move(label->x(), label->y() - missing);
    lblURL->setText(MakerWebSite().section(QStringLiteral("://"), 1));
    imgBismillah->setMouseTracking(true);
    imgBismillah->installEventFilter(this);
    setLinkLook(kLinkNormal, false);

    tmrSplash.setInterval(5000);
    connect(&tmrSplash, &QTimer::timeout, this, [this] { Unload(); });
    tmrURL.setInterval(100);
    connect(&tmrURL, &QTimer::timeout, this, &frmSplash::tmrURL_Timer);

    CenterOnWorkArea();
}

void frmSplash::Form_Load() {
    SetTopMost(hWnd(), true);
    ShowVersion();
    lblURL->setCursor(QCursor(QPixmap(QStringLiteral(":/cursors/hand.png")), 5, 0));
    if (gSplashMode == 0) {
        tmrSplash.setInterval(5000);
        PlayStartupSound();
    } else if (gSplashMode == 1) {
        tmrSplash.setInterval(35000);
        if (gMuteAll != 1)
            PlaySoundA(QStringLiteral("ALFATIHA"), App.hInstance,
                       SND_RESOURCE | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT);
    }
    tmrSplash.start();
}

void frmSplash::Form_Unload(int*) {
    tmrSplash.stop();
    tmrURL.stop();
    lblURL->unsetCursor();
}

void frmSplash::ShowVersion() {
    QString caption = QStringLiteral("Tallix Time %1.%2").arg(App.Major).arg(App.Minor);
    if (App.Revision >= 1)
        caption += QStringLiteral(".%1").arg(App.Revision);
    lblTallixTime->setText(caption);
}

void frmSplash::CloseSplash() {
    if (gSplashMode == 1)
        Unload();
}

void frmSplash::Form_Click() {
    CloseSplash();
}

void frmSplash::ResetLinkHover() {
    setLinkLook(kLinkNormal, false);
}

bool frmSplash::LinkUnderlined() const {
    return lblURL->font().underline();
}

void frmSplash::setLinkLook(std::int32_t color, bool underline) {
    linkColor_ = color;
    QPalette pal = lblURL->palette();
    pal.setColor(QPalette::WindowText,
                 QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    lblURL->setPalette(pal);
    QFont font = lblURL->font();
    font.setUnderline(underline);
    lblURL->setFont(font);
    lblURL->repaint();
}

void frmSplash::lblURL_Click() {
    const QString site = MakerWebSite();
    if (ShellExecuteA(hWnd(), QStringLiteral("Open"), site, QString(), App.Path(), SW_SHOWNORMAL) <=
        32)
        platform::CurrentShellBackend().startDetached(QStringLiteral("xdg-open"), {site},
                                                      App.Path());
}

void frmSplash::lblURL_MouseMove() {
    if (gSplashMode == 1 && linkColor_ == kLinkNormal) {
        setLinkLook(kLinkHovered, true);
        tmrURL.setInterval(100);
        tmrURL.start();
    }
}

void frmSplash::lblURL_MouseDown() {
    if (gSplashMode == 1 && linkColor_ == kLinkHovered)
        setLinkLook(kLinkPressed, true);
}

void frmSplash::lblURL_MouseUp() {
    if (gSplashMode == 1 && linkColor_ == kLinkPressed)
        setLinkLook(kLinkHovered, true);
}

void frmSplash::tmrURL_Timer() {
    const QPoint p = mapFromGlobal(QCursor::pos());
    if (p.x() < 0 || p.y() < 0 || p.x() > width() || p.y() > height()) {
        setLinkLook(kLinkNormal, false);
        tmrURL.stop();
    }
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    const bool onLink = watched == lblURL;
    switch (event->type()) {
    case QEvent::MouseMove:
        if (onLink)
            lblURL_MouseMove();
        else
            ResetLinkHover();
        break;
    case QEvent::MouseButtonPress:
        if (onLink)
            lblURL_MouseDown();
        break;
    case QEvent::MouseButtonRelease:
        if (onLink) {
            lblURL_MouseUp();
            if (lblURL->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                lblURL_Click();
        } else {
            // The picture and the product name close the About box.
            CloseSplash();
            return true;
        }
        break;
    default:
        break;
    }
    return Form::eventFilter(watched, event);
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool activate = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (activate && lblURL->hasFocus()) {
        lblURL_Click();
        return;
    }
    if ((activate || key == Qt::Key_Escape) && gSplashMode == 1) {
        CloseSplash();
        return;
    }
    Form::keyPressEvent(event);
}

void frmSplash::mouseMoveEvent(QMouseEvent* event) {
    ResetLinkHover();
    Form::mouseMoveEvent(event);
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event) {
    Form_Click();
    Form::mouseReleaseEvent(event);
}

namespace {
// A window shown again is framed anew by the window manager, and Qt may take the place it was
// given for that of the window within the frame (seen with a scale of 2.5: the title bar came
// back above the screen). Once the frame is known, a frame off the work area is put back on it.
void keepTitleBarOnWorkArea(QWidget* window) {
    // One watch per window, made at the first time and started anew each time after.
    const QString name = QStringLiteral("titleBarWatch");
    auto* watch = window->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly);
    if (!watch) {
        watch = new QTimer(window);
        watch->setObjectName(name);
        watch->setInterval(100);
        QObject::connect(watch, &QTimer::timeout, window, [window, watch] {
            const bool framed = window->isVisible() && window->windowHandle() &&
                                window->windowHandle()->frameMargins().top() > 0;
            if (framed) {
                const QRect frame = window->frameGeometry();
                const QRect kept = runtime::KeptOnArea(frame, runtime::WorkAreaOf(window));
                if (kept.topLeft() != frame.topLeft())
                    window->move(kept.topLeft());
            }
            // The window manager frames it within a moment; a second look catches a late move.
            const int ticks = watch->property("ticks").toInt() + 1;
            watch->setProperty("ticks", ticks);
            if (ticks >= 30 || (framed && ticks >= 5))
                watch->stop();
        });
    }
    watch->setProperty("ticks", 0);
    watch->start();
}
} // namespace

void ShowAboutBox() {
    // One modal window at a time: a second request finds the one already open.
    if (BringModalWindowForward())
        return;
    frmTallix* main = MainWindow();
    QPoint where;
    if (main) {
        where = main->pos();
        main->hide();
    }
    gSplashMode = 1;
    auto* about = new frmSplash();
    about->Show(vbModal);
    if (main) {
        main->Show();
        main->move(where);
        keepTitleBarOnWorkArea(main);
    }
}
