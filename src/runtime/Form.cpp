#include "Form.h"

#include "platform/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>

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
