// Forms: loading once, the unload questions, modal showing and the end of the program.
#include "runtime/Form.h"

#include <QApplication>
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

} // namespace
