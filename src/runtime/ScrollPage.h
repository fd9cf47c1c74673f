#pragma once
// A page of a dialog that can scroll where the work area has no room for it. It asks for what
// its page asks for, least size included, so a dialog built of such pages measures as if they
// were the pages themselves (on a screen with room nothing changes). Let go
// (runtime::FitOnArea does that when closing up was not enough), it asks for no more than its
// scroll bars at least, for its page and both scroll bars at best, and the page scrolls, in
// both directions, within whatever room the dialog gives it.
#include <QScrollArea>

class ScrollPage : public QScrollArea {
    Q_OBJECT
public:
    // Takes the page; the page keeps the look of its tab (no frame, no background of its own).
    explicit ScrollPage(QWidget* page, QWidget* parent = nullptr);

    bool LetGo() const { return letGo_; }
    void SetLetGo(bool letGo);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // A page whose height follows its width (a line that wraps) asks so through it.
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

private:
    bool letGo_ = false;
};
