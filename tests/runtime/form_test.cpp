// Forms: loading once, the unload questions, modal showing and the end of the program.
#include "fakes/wait_for.h"
#include "runtime/Form.h"
#include "runtime/Interaction.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class CountingForm : public Form {
public:
    explicit CountingForm(const QString& name) : Form(name) {}
    int loads = 0;
    int queries = 0;
    int unloads = 0;
    int lastMode = -1;
    bool refuse = false;

protected:
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(int* cancel, int mode) override {
        ++queries;
        lastMode = mode;
        *cancel = refuse ? 1 : 0;
    }
    void Form_Unload(int*) override { ++unloads; }
};

TEST(Form, LoadsOnceAndAsksBeforeUnloading) {
    auto* form = new CountingForm(QStringLiteral("frmTest"));
    form->Load();
    form->Show();
    EXPECT_EQ(form->loads, 1);
    EXPECT_TRUE(Forms().contains(form));

    form->refuse = true;
    form->close(); // the close box
    EXPECT_EQ(form->lastMode, vbFormControlMenu);
    EXPECT_TRUE(Forms().contains(form));
    EXPECT_FALSE(form->Unload());
    EXPECT_EQ(form->lastMode, vbFormCode);
    EXPECT_EQ(form->unloads, 0);

    form->refuse = false;
    EXPECT_TRUE(form->Unload());
    EXPECT_EQ(form->unloads, 1);
    EXPECT_FALSE(Forms().contains(form));
}

TEST(Form, AModalShowReturnsWhenTheFormGoesAndTheLastFormEndsTheProgram) {
    auto* dialog = new CountingForm(QStringLiteral("frmDialog"));
    auto* main = new CountingForm(QStringLiteral("frmMain"));
    QTimer::singleShot(50, dialog, [dialog] { dialog->Unload(); });
    dialog->Show(vbModal); // returns once the timer has unloaded it
    EXPECT_EQ(dialog->loads, 1);
    EXPECT_EQ(Forms().size(), 1);

    QTimer::singleShot(0, main, [main] { main->Unload(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << "the event loop ends with the last form";
    EXPECT_TRUE(Forms().isEmpty());
}

// While a form is shown modally, it is the application's modal window (the others take no
// input); showing it modally again only brings it forward, and it is what a command that
// would open another window brings forward instead.
TEST(Form, AModalShowIsModalAndASecondRequestBringsItForward) {
    auto* main = new CountingForm(QStringLiteral("frmMain"));
    main->Show();
    auto* dialog = new CountingForm(QStringLiteral("frmDialog"));
    EXPECT_FALSE(BringModalWindowForward());
    QWidget* modalWhileUp = nullptr;
    bool secondShowReturned = false;
    bool broughtForward = false;
    QTimer::singleShot(20, dialog, [&] {
        modalWhileUp = QApplication::activeModalWidget();
        dialog->Show(vbModal);
        secondShowReturned = true;
        broughtForward = BringModalWindowForward();
        dialog->Unload();
    });
    // Only a failing check lets it get this far.
    QTimer::singleShot(3000, dialog, [dialog] { dialog->Unload(); });
    dialog->Show(vbModal);
    EXPECT_EQ(modalWhileUp, dialog);
    EXPECT_TRUE(secondShowReturned);
    EXPECT_TRUE(broughtForward);
    EXPECT_FALSE(BringModalWindowForward());
    EXPECT_EQ(dialog->loads, 1);
    main->UnloadFrom(vbAppWindows);
}

// A form unloaded while a dialog of its own runs (the athan or the end of the session comes
// while its file dialog or question is open) closes that dialog and stays alive until the
// code that opened it has gone on; only then is it deleted.
TEST(Form, UnloadedWhileItsOwnDialogRunsItOutlivesTheDialog) {
    auto* form = new CountingForm(QStringLiteral("frmOwner"));
    form->Show();
    const QPointer<Form> self(form);
    int result = -1;
    bool aliveAfterDialog = false;
    {
        QDialog dialog(form);
        QTimer::singleShot(20, form, [form] { form->UnloadFrom(vbAppWindows); });
        result = dialog.exec();
        aliveAfterDialog = self && !Forms().contains(form) && !form->isVisible();
    }
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(aliveAfterDialog);
    EXPECT_EQ(form->unloads, 1);
    EXPECT_TRUE(WaitFor(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return self.isNull();
        },
        3000));
}

// A message box belongs to the window that asks: above it, on top when it is, and a box
// closed by its window's unload answers No.
TEST(Form, AMessageBoxBelongsToTheWindowThatAsks) {
    auto* dialog = new CountingForm(QStringLiteral("frmDialog"));
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    QWidget* owner = nullptr;
    bool boxOnTop = false;
    int answer = -1;
    const QPointer<Form> self(dialog);
    QTimer::singleShot(0, dialog, [&] {
        QTimer::singleShot(50, dialog, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            owner = box->parentWidget();
            boxOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            dialog->UnloadFrom(vbAppWindows);
        });
        answer = MsgBox(QStringLiteral("Restore?"), vbYesNo | vbQuestion);
        EXPECT_TRUE(self) << "alive while its question returns";
    });
    QTimer::singleShot(5000, dialog, [dialog] { dialog->Unload(); });
    dialog->Show(vbModal);
    EXPECT_EQ(owner, self.data());
    EXPECT_TRUE(boxOnTop);
    EXPECT_EQ(answer, vbNo);
}

} // namespace
