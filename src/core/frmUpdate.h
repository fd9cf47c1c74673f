#pragma once
// The update check: downloads the maker's version file, compares its version with ours and
// offers the download address when it is newer. The window shows "Checking for Update" with a
// growing row of dots while it works; the download runs in the background, so the main window
// keeps ticking and its alerts keep sounding meanwhile.
#include "runtime/Form.h"
#include "runtime/ImageControl.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <cstdint>

class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;

// The version number of three texts: major, minor as two digits, revision as four, read as one
// whole number; 0 when it is not a number or does not fit 32 bits.
std::int32_t VersionNumber(const QString& sMajor, const QString& sMinor, const QString& sRevision);

// The address of the version file: the build's setting (TALLIX_UPDATE_URL), unless a test set
// another. An empty address goes back to the build's.
QUrl UpdateAddress();
void SetUpdateAddress(const QUrl& address);
// Where the downloaded version file is kept while it is read: the user's cache folder.
QString UpdateVersionFile();
// The wait between two dots of the caption (500 ms); tests shorten it. 0 goes back to 500.
void SetUpdateDotInterval(int ms);
// The longest the whole download may take, however the server paces it, before it counts as
// failed: 30 seconds; tests shorten it. 0 goes back to 30 seconds.
constexpr int kUpdateTimeoutMs = 30000;
void SetUpdateTimeout(int ms);
// A version file is a few hundred bytes: a reply that announces or brings more than this is
// refused (a failed check) as soon as it is seen.
constexpr qint64 kUpdateMaxBytes = 16 * 1024;

class frmUpdate : public Form {
    Q_OBJECT
public:
    explicit frmUpdate(QWidget* parent = nullptr);

    Image* imgGlobeConnect = nullptr;
    Image* imgWorkstation = nullptr;
    // Ends the check at once: nothing is told, nothing is kept (Escape does the same).
    QPushButton* cmdCancel = nullptr;

    // Runs the check once the window shows.
    void Form_Activate();

protected:
    void Form_Load() override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void Form_Unload(int* cancel) override;

private:
    void addDot();
    void download();
    void receive();
    void downloaded();
    void stop(bool tell);
    void cmdCancel_Click();
    void finish(const QByteArray& content, bool ok);
    void failed();
    void showFailure();
    void close();

    QTimer tmrDots;
    QTimer deadline_;
    QByteArray body_;
    bool busy_ = false;
    int dots_ = 0;
    bool activated_ = false;
    QNetworkAccessManager* net_ = nullptr;
    QPointer<QNetworkReply> reply_;
};

// The Help menu's command: the window, shown modally until the check ends.
void ShowUpdateCheck();
