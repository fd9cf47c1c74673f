#pragma once
// The splash window at start-up and the About box: the Bismillah picture, the program's name
// and version, and the maker's web site as a link. gSplashMode chooses: 0 splash (5 seconds,
// clicks do nothing), 1 About (35 seconds, the first click, or Escape, Return or Space, with a
// recitation). Tab takes the focus to the link, which Return or Space then opens.
#include "runtime/Form.h"
#include "runtime/ImageControl.h"

#include <QTimer>

class QLabel;

class frmSplash : public Form {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    Image* imgBismillah = nullptr;
    QLabel* lblTallixTime = nullptr;
    QLabel* lblURL = nullptr;
    QTimer tmrSplash;
    QTimer tmrURL;

    void ShowVersion();
    void CloseSplash();
    void ResetLinkHover();

    void Form_Click();
    void lblURL_Click();
    void lblURL_MouseDown();
    void lblURL_MouseMove();
    void lblURL_MouseUp();
    void tmrURL_Timer();
    // The link's look: its colour (0x00BBGGRR) and underline.
    std::int32_t LinkColor() const { return linkColor_; }
    bool LinkUnderlined() const;

protected:
    void Form_Load() override;
    void Form_Unload(int* cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setLinkLook(std::int32_t color, bool underline);
    std::int32_t linkColor_ = 0;
};

// The About command: hides the main window, shows the About box modally, then shows the main
// window again where it was (also when it was in the tray before).
void ShowAboutBox();
