#include "Form.h"

#include "platform/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLayout>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {
QList<Form*>& registry() {
    static QList<Form*> forms;
    return forms;
}
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

void Form::CenterOnWorkArea() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
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
    QRect placed(QPoint(0, 0), frameGeometry().size());
    placed.moveCenter(window->frameGeometry().center());
    if (const QScreen* screen = window->screen()) {
        // Inside the work area; a form wider or taller than it keeps its left or top edge in.
        const QRect area = screen->availableGeometry();
        placed.moveLeft(
            std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
        placed.moveTop(
            std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    }
    move(placed.topLeft());
}

Form::Form(const QString& name, QWidget* parent) : QWidget(parent, Qt::Window), name_(name) {
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
    platform::UpdatePublishedWindow(hwnd_);
}

void Form::Show(int modal) {
    Load();
    QPointer<Form> self(this);
    show();
    platform::UpdatePublishedWindow(hwnd_);
    if (modal != vbModal)
        return;
    setWindowModality(Qt::ApplicationModal);
    // Every event handled can be the one that hides or unloads the form.
    QEventLoop loop;
    while (self && self->isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
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
    hide();
    registry().removeAll(this);
    platform::UnpublishWindow(hwnd_);
    deleteLater();
    // The program ends with its last form (a running event loop only: a splash window
    // unloaded before the main window exists ends nothing).
    if (registry().isEmpty())
        QCoreApplication::quit();
    return true;
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
