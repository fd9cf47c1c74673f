#include "Form.h"

#include "FocusFrame.h"
#include "Interaction.h"
#include "Mnemonics.h"
#include "OptionGroups.h"
#include "ScreenRescue.h"
#include "ScrollPage.h"
#include "WorkArea.h"
#include "WorkerWait.h"
#include "platform/blocked_windows.h"
#include "platform/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {
QList<Form*>& registry() {
    static QList<Form*> forms;
    return forms;
}

// Modal shows waiting for their form now.
int gModalShows = 0;
} // namespace

QList<Form*> Forms() {
    return registry();
}

Form* FindForm(const QString& name) {
    for (Form* f : registry())
        if (f->Name().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

void KeepAboveOwner(QWidget* window, const QWidget* owner) {
    const auto onTop = [](const QWidget* w) {
        return w->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    };
    bool above = owner && onTop(owner);
    if (!owner)
        for (const Form* f : registry())
            above = above || (f->isVisible() && onTop(f));
    if (above)
        window->setWindowFlag(Qt::WindowStaysOnTopHint);
}

bool BringModalWindowForward() {
    // The last one opened: a form's own question or file dialog when one is open.
    QWidget* front = QApplication::activeModalWidget();
    if (!front || !front->isVisible())
        return false;
    // A window manager may minimise a modal window all the same; nothing of the program would
    // take input then.
    if (front->isMinimized())
        front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
    front->raise();
    front->activateWindow();
    // Left where no screen shows it (a monitor unplugged meanwhile), it comes onto one.
    runtime::BringWindowsOntoWorkAreas();
    return true;
}

void Form::CenterOnWorkArea() {
    const QRect area = runtime::WorkAreaOf(this);
    if (area.isEmpty())
        return;
    // Centred by the form's size, as ever (on a large screen nothing moves); then its frame is
    // kept on the work area: a form taller than the area keeps its title bar on it and runs
    // off the bottom.
    QRect frame = runtime::FrameRect(this, size());
    frame.moveTo(area.x() + (area.width() - width()) / 2,
                 area.y() + (area.height() - height()) / 2);
    move(runtime::KeptOnArea(frame, area).topLeft());
}

void Form::FitOnWorkArea(const QWidget* window) {
    runtime::FitOnArea(this, runtime::WorkAreaOf(window && window->isVisible() ? window : this));
}

namespace {
// Places a form over a window when the form is shown: only then has it the size it shows with
// (the style's polish and the first layout come with the show).
class PlaceOnShow final : public QObject {
public:
    PlaceOnShow(Form* form, const QWidget* window) : QObject(form), window_(window) {
        form->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* form = static_cast<Form*>(watched);
            form->removeEventFilter(this);
            // The layout may still grow the form to what its polished controls ask for.
            if (form->layout())
                form->layout()->activate();
            form->resize(form->size().expandedTo(form->sizeHint()));
            form->FitOnWorkArea(window_);
            form->CenterOver(window_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<const QWidget> window_;
};
} // namespace

void Form::CenterOver(const QWidget* window) {
    if (!isVisible()) {
        new PlaceOnShow(this, window);
        return;
    }
    if (!window || !window->isVisible() || window->isMinimized()) {
        CenterOnWorkArea();
        return;
    }
    // Centred by what the form measures now (its size until it is framed), as ever; then its
    // whole frame is kept inside the work area; a form wider or taller than the area keeps its
    // left or top edge in.
    QRect centred(QPoint(0, 0), frameGeometry().size());
    centred.moveCenter(window->frameGeometry().center());
    QRect placed = runtime::FrameRect(this, size());
    placed.moveTopLeft(centred.topLeft());
    move(runtime::KeptOnArea(placed, runtime::WorkAreaOf(window)).topLeft());
}

void Form::MakeFixedDialog() {
    setWindowFlags((windowFlags() & Qt::WindowStaysOnTopHint) | Qt::Dialog | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    fixedDialog_ = true;
}

void Form::showEvent(QShowEvent* event) {
    // The window manager learns the size before the window is mapped. The controls have been
    // shown (a list sized to its items grows now), so the layout sets the size it needs first.
    if (fixedDialog_) {
        if (layout()) {
            layout()->activate();
            // Its size stays: a page that asks for more once it first shows
            // scrolls within it rather than growing the window off the work area.
            if (findChild<ScrollPage*>())
                layout()->setSizeConstraint(QLayout::SetNoConstraint);
        }
        setFixedSize(size());
    }
    // Tab into a group of option buttons lands on the checked one.
    KeepTabOnCheckedOptions(this);
    QWidget::showEvent(event);
}

namespace {
// While a popup is open (a combo box's list, a completer's, a menu) it has the keyboard: Return
// and Escape go to it (picking or closing), not to the window shortcuts of the dialog under it.
// Before a key can be a shortcut, the window and then the popup's control are asked whether
// they take it themselves (a combo box's list picks its item then, but leaves the question
// open, and the shortcut fired as well): the key is marked as taken and goes on to them.
class PopupKeys final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride && QApplication::activePopupWidget()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
                event->accept();
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

void Form::SetDialogButtons(QPushButton* defaultButton, QPushButton* cancelButton) {
    static PopupKeys* const popupKeys = [] {
        auto* keys = new PopupKeys;
        keys->setParent(qApp);
        qApp->installEventFilter(keys);
        return keys;
    }();
    (void)popupKeys;
    if (defaultButton) {
        defaultButton->setDefault(true);
        // A shortcut of the window: the key reaches no control, so a line edit, a list or an
        // editable combo box (which would add the text as an item) never takes it.
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
            auto* enter = new QShortcut(QKeySequence(key), this);
            connect(enter, &QShortcut::activated, defaultButton, [this, defaultButton] {
                auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
                (focused && focused->window() == this ? focused : defaultButton)->click();
            });
        }
    }
    if (cancelButton) {
        // Its own shortcut: the button's caption sets its mnemonic.
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(escape, &QShortcut::activated, cancelButton, &QPushButton::click);
    }
}

Form::Form(const QString& name, QWidget* parent) : QWidget(parent, Qt::Window), name_(name) {
    // Activating a window that a modal window blocks brings the modal window forward; the
    // keyboard focus always shows.
    static const bool relayed = [] {
        platform::OnBlockedWindowActivated([] { BringModalWindowForward(); });
        KeepKeyboardFocusShown();
        return true;
    }();
    (void)relayed;
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose, false);
    registry().append(this);
    hwnd_ = platform::PublishWindow(this);
}

Form::~Form() {
    registry().removeAll(this);
    platform::UnpublishWindow(hwnd_);
}

void Form::Load() {
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
    // Its texts are set: each caption answers one mnemonic.
    KeepOneMnemonic(this);
    platform::UpdatePublishedWindow(hwnd_);
}

void Form::Show(int modal) {
    Load();
    QPointer<Form> self(this);
    if (modal == vbModal) {
        if (isVisible() && windowModality() != Qt::NonModal) {
            // Already up and waited for by an earlier caller.
            raise();
            activateWindow();
            return;
        }
        // Modality takes effect only when the window is shown: a shown window is hidden first.
        if (isVisible())
            hide();
        setWindowModality(Qt::ApplicationModal);
    }
    show();
    platform::UpdatePublishedWindow(hwnd_);
    if (modal != vbModal)
        return;
    // Every event handled can be the one that hides or unloads the form.
    ++gModalShows;
    QEventLoop loop;
    while (self && self->isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    --gModalShows;
    if (self)
        setWindowModality(Qt::NonModal);
}

bool Form::Unload() {
    return runUnload(vbFormCode);
}

bool Form::runUnload(int unloadMode) {
    if (unloading_)
        return true;
    int cancel = 0;
    Form_QueryUnload(&cancel, unloadMode);
    if (cancel)
        return false;
    unloading_ = true;
    Form_Unload(&cancel);
    if (cancel) {
        unloading_ = false;
        return false;
    }
    const int dialogs = closeOwnDialogs();
    hide();
    registry().removeAll(this);
    platform::UnpublishWindow(hwnd_);
    deleteAfterDialogs(dialogs);
    // The program ends with its last form (a running event loop only: a splash window
    // unloaded before the main window exists ends nothing). While work waits on another
    // process (a print on the print server) it ends here and now: the worker may be held until
    // its deadline, and the code waiting for it must not go on to open or send anything. What
    // the forms' unloads had to do is done; the settings were written when they changed.
    if (registry().isEmpty()) {
        if (runtime::WorkUnderWay())
            End(0);
        QCoreApplication::quit();
    }
    return true;
}

int Form::closeOwnDialogs() {
    int open = 0;
    for (QDialog* dialog : findChildren<QDialog*>())
        if (dialog->isVisible()) {
            dialog->reject();
            ++open;
        }
    return open;
}

void Form::deleteAfterDialogs(int dialogs) {
    if (dialogs == 0 && gModalShows == 0) {
        deleteLater();
        return;
    }
    // Each open dialog runs an event loop of its own, and the code that opened it goes on in
    // this form when it returns: deleted before that, the form would take the dialog (an object
    // on that code's stack) with it. So wait for the event loop level beneath those dialogs.
    // A modal show waiting meanwhile may have been called from this form's code (a settings
    // dialog opened from the main window): that code too goes on in it once the show returns.
    const int level = QThread::currentThread()->loopLevel() - dialogs;
    auto* wait = new QTimer(this);
    wait->setInterval(10);
    connect(wait, &QTimer::timeout, this, [this, wait, level] {
        if (QThread::currentThread()->loopLevel() > level || gModalShows > 0)
            return;
        wait->stop();
        deleteLater();
    });
    wait->start();
}

void Form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::WindowStateChange ||
        event->type() == QEvent::ActivationChange)
        platform::UpdatePublishedWindow(hwnd_);
}

void Form::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
        return;
    }
    event->ignore();
    runUnload(vbFormControlMenu);
}
