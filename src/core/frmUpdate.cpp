#include "frmUpdate.h"

#include "cNonClientMetrics.h"
#include "mAPI.h"
#include "mMain.h"
#include "mainwindow/frmTallix.h"
#include "platform/filesync.h"
#include "platform/shell.h"
#include "runtime/App.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"
#include "runtime/WorkArea.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <limits>

#ifndef TALLIX_UPDATE_URL
#define TALLIX_UPDATE_URL "https://tallixtime.example.org/downloads/version.txt"
#endif

namespace {

QUrl g_address;
int g_dotMs = 500;
int g_timeoutMs = kUpdateTimeoutMs;

bool isWholeNumber(const QString& text) {
    bool ok = false;
    text.trimmed().toLongLong(&ok);
    return ok;
}

// The two pictures of the window: a globe, and a workstation in front of it.
StdPicture drawIcon(bool globe) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (globe) {
        p.setBrush(QColor(70, 130, 200));
        p.setPen(QPen(QColor(30, 70, 130), 2));
        p.drawEllipse(QRectF(4, 4, 40, 40));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(220, 235, 250), 1.5));
        p.drawEllipse(QRectF(16, 4, 16, 40));
        p.drawLine(QPointF(4, 24), QPointF(44, 24));
        p.drawLine(QPointF(8, 14), QPointF(40, 14));
        p.drawLine(QPointF(8, 34), QPointF(40, 34));
    } else {
        p.setPen(QPen(QColor(60, 60, 60), 2));
        p.setBrush(QColor(200, 200, 200));
        p.drawRoundedRect(QRectF(6, 8, 36, 26), 3, 3);
        p.setBrush(QColor(40, 80, 120));
        p.drawRect(QRectF(10, 12, 28, 18));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(18, 34, 12, 4));
        p.drawRoundedRect(QRectF(10, 38, 28, 6), 2, 2);
    }
    return StdPicture(pixmap);
}

} // namespace

std::int32_t VersionNumber(const QString& sMajor, const QString& sMinor, const QString& sRevision) {
    bool ok = false;
    const qlonglong minor = sMinor.trimmed().toLongLong(&ok);
    if (!ok)
        return 0;
    const qlonglong revision = sRevision.trimmed().toLongLong(&ok);
    if (!ok)
        return 0;
    const QString digits = sMajor.trimmed() +
                           QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0')) +
                           QStringLiteral("%1").arg(revision, 4, 10, QLatin1Char('0'));
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok || value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        return 0;
    return std::int32_t(value);
}

QUrl UpdateAddress() {
    return g_address.isEmpty() ? QUrl(QStringLiteral(TALLIX_UPDATE_URL)) : g_address;
}

void SetUpdateAddress(const QUrl& address) {
    g_address = address;
}

void SetUpdateTimeout(int ms) {
    g_timeoutMs = ms > 0 ? ms : kUpdateTimeoutMs;
}

void SetUpdateDotInterval(int ms) {
    g_dotMs = ms > 0 ? ms : 500;
}

QString UpdateVersionFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/tallix-time/version.txt");
}

frmUpdate::frmUpdate(QWidget* parent) : Form(QStringLiteral("frmUpdate"), parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(2910 / 15, 1620 / 15);
    imgGlobeConnect = new Image(this);
    imgGlobeConnect->setObjectName(QStringLiteral("imgGlobeConnect"));
    imgGlobeConnect->SetPicture(drawIcon(true));
    imgGlobeConnect->setGeometry(1230 / 15, 170 / 15, 48, 48);
    imgWorkstation = new Image(this);
    imgWorkstation->setObjectName(QStringLiteral("imgWorkstation"));
    imgWorkstation->SetPicture(drawIcon(false));
    imgWorkstation->setGeometry(930 / 15, 755 / 15, 48, 48);
    cmdCancel = new QPushButton(LoadResString(211), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(1665 / 15, 1185 / 15, 1125 / 15, 345 / 15);
    connect(cmdCancel, &QPushButton::clicked, this, &frmUpdate::cmdCancel_Click);
    tmrDots.setInterval(g_dotMs);
    connect(&tmrDots, &QTimer::timeout, this, &frmUpdate::addDot);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { stop(true); });
    // Over the middle of the main window, on the work area.
    if (frmTallix* main = MainWindow()) {
        QRect frame = runtime::FrameRect(this, size());
        frame.moveTopLeft(main->geometry().center() - rect().center());
        move(runtime::KeptOnArea(frame, runtime::WorkAreaOf(main)).topLeft());
    }
}

void frmUpdate::Form_Load() {
    SetBusy(true);
    ApplySystemFont(this);
    SetTopMost(hWnd(), true);
    setWindowTitle(LoadResString(397));
    SetBusy(false);
}

void frmUpdate::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &frmUpdate::Form_Activate);
    }
}

void frmUpdate::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    Form::keyPressEvent(event);
}

// However the window goes (Cancel, or closed by the window manager), the download goes with
// it and the pointer is given back.
void frmUpdate::Form_Unload(int*) {
    tmrDots.stop();
    deadline_.stop();
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
    QFile::remove(UpdateVersionFile());
    if (busy_) {
        busy_ = false;
        SetBusy(false);
    }
}

void frmUpdate::cmdCancel_Click() {
    stop(false);
}

void frmUpdate::Form_Activate() {
    SetBusy(true);
    busy_ = true;
    DoEvents();
    dots_ = 0;
    tmrDots.start();
}

// Three dots over 1.5 seconds, then the download half a second later.
void frmUpdate::addDot() {
    if (dots_ < 3) {
        ++dots_;
        setWindowTitle(windowTitle() + QLatin1Char('.'));
        return;
    }
    tmrDots.stop();
    download();
}

void frmUpdate::download() {
    net_ = new QNetworkAccessManager(this);
    QNetworkRequest request(UpdateAddress());
    // Never a cached copy: the file says what is on the server now.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(g_timeoutMs);
    body_.clear();
    reply_ = net_->get(request);
    // Qt holds no more than this unread; receive() takes it as it comes.
    reply_->setReadBufferSize(kUpdateMaxBytes);
    connect(reply_.data(), &QNetworkReply::metaDataChanged, this, [this] {
        if (reply_ &&
            reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong() > kUpdateMaxBytes)
            stop(true);
    });
    connect(reply_.data(), &QNetworkReply::readyRead, this, &frmUpdate::receive);
    connect(reply_.data(), &QNetworkReply::finished, this, &frmUpdate::downloaded);
    // The silence time-out alone would let a server that sends a byte now and then keep the
    // window up for ever: the whole download has this long.
    deadline_.start(g_timeoutMs);
}

// Keeps what arrives, up to the limit; a reply that passes it is refused.
void frmUpdate::receive() {
    if (!reply_)
        return;
    body_ += reply_->read(kUpdateMaxBytes + 1 - body_.size());
    if (body_.size() > kUpdateMaxBytes)
        stop(true);
}

// Drops the download; the failure, if told, comes from the event loop, outside the reply's
// own signals.
void frmUpdate::stop(bool tell) {
    tmrDots.stop();
    deadline_.stop();
    if (QNetworkReply* reply = reply_.data()) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    reply_.clear();
    body_.clear();
    if (tell) {
        QTimer::singleShot(0, this, &frmUpdate::failed);
        return;
    }
    QTimer::singleShot(0, this, [this] {
        hide();
        if (frmTallix* main = MainWindow())
            main->RefreshPrayers();
        close();
    });
}

void frmUpdate::downloaded() {
    QNetworkReply* reply = reply_.data();
    if (!reply)
        return;
    deadline_.stop();
    receive();
    if (!reply_)
        return; // too large: refused
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || (status != 0 && status != 200)) {
        failed();
        return;
    }
    // The file goes through the user's cache folder, as the download always did.
    const QString path = UpdateVersionFile();
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile out(path);
    const QByteArray body = body_;
    body_.clear();
    if (!out.open(QIODevice::WriteOnly) || out.write(body) != body.size() || !out.commit()) {
        failed();
        return;
    }
    if (frmTallix* main = MainWindow())
        main->RefreshPrayers();
    hide();
    DoEvents();
    // Only the regular file just written is read back: anything put in its place meanwhile (a
    // named pipe) is refused without waiting on it.
    QString why;
    QFile in;
    const bool read = platform::OpenRegularFile(&in, path, &why);
    const QByteArray content = read ? in.read(kUpdateMaxBytes) : QByteArray();
    in.close();
    QFile::remove(path);
    finish(content, read);
}

void frmUpdate::finish(const QByteArray& content, bool ok) {
    busy_ = false;
    SetBusy(false);
    const QStringList fields = QString::fromUtf8(content).split(QLatin1Char(','));
    // A file that does not name a version and an address is no answer: the check failed.
    if (!ok || fields.size() < 4 || !isWholeNumber(fields[0]) || !isWholeNumber(fields[1]) ||
        !isWholeNumber(fields[2])) {
        showFailure();
        return;
    }
    const std::int32_t available = VersionNumber(fields[0], fields[1], fields[2]);
    const std::int32_t current = VersionNumber(
        QString::number(App.Major), QString::number(App.Minor), QString::number(App.Revision));
    if (available == 0) {
        showFailure();
        return;
    }
    const qint64 difference = qint64(available) - current;
    if (difference < 1) {
        MsgBox(LoadResString(399), vbInformation, App.Title);
        close();
        return;
    }
    // Only a web address is ever opened, and only through the desktop's browser.
    const QUrl address(fields[3].trimmed(), QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || address.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        showFailure();
        return;
    }
    const int first = difference <= 9999 ? 404 : difference <= 999999 ? 403 : 402;
    const QString question = LoadResString(first) + QStringLiteral("\r\n\r\n") + LoadResString(398);
    if (MsgBox(question, vbYesNo | vbQuestion, App.Title) == vbYes)
        ShellExecuteA(hWnd(), QStringLiteral("Open"), address.toString(), QString(), App.Path(),
                      SW_SHOWNORMAL);
    close();
}

void frmUpdate::failed() {
    QFile::remove(UpdateVersionFile()); // a failed check keeps nothing
    if (frmTallix* main = MainWindow())
        main->RefreshPrayers();
    hide();
    DoEvents();
    busy_ = false;
    SetBusy(false);
    showFailure();
}

void frmUpdate::showFailure() {
    hide();
    MsgBox(LoadResStringLines(400), vbExclamation, App.Title);
    close();
}

void frmUpdate::close() {
    Unload();
}

void ShowUpdateCheck() {
    // One modal window at a time: a second request finds the one already open.
    if (BringModalWindowForward())
        return;
    auto* check = new frmUpdate(MainWindow());
    check->Show(vbModal);
}
