// The width rules of a window's place on the work area: where a frame is kept, and how a form
// wider than the area comes to fit it (on the tests' 800 x 600 offscreen screen).
#include "runtime/Form.h"
#include "runtime/ScrollPage.h"
#include "runtime/WorkArea.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A frame kept on an area 800 wide with a panel of 24 above it.
TEST(KeptOnArea, AFrameLiesWhollyOnTheAreaOrKeepsItsLeftAndTopEdgesIn) {
    const QRect area(0, 24, 800, 576);
    const struct {
        const char* what;
        QRect frame;
        QPoint kept;
    } cases[] = {
        {"within", QRect(100, 100, 300, 200), QPoint(100, 100)},
        {"off the right", QRect(600, 100, 300, 200), QPoint(500, 100)},
        {"off the left", QRect(-50, 100, 300, 200), QPoint(0, 100)},
        {"as wide as the area", QRect(30, 100, 800, 200), QPoint(0, 100)},
        {"wider than the area", QRect(-70, 100, 941, 200), QPoint(0, 100)},
        {"wider, off the right", QRect(300, 100, 941, 200), QPoint(0, 100)},
        {"wider and taller", QRect(-70, -40, 941, 700), QPoint(0, 24)},
        {"off the bottom right", QRect(700, 500, 200, 200), QPoint(600, 400)},
    };
    for (const auto& c : cases) {
        const QRect kept = runtime::KeptOnArea(c.frame, area);
        EXPECT_EQ(kept.topLeft(), c.kept) << c.what;
        EXPECT_EQ(kept.size(), c.frame.size()) << c.what;
        if (c.frame.width() <= area.width() && c.frame.height() <= area.height()) {
            EXPECT_TRUE(area.contains(kept)) << c.what;
        }
    }
}

// A form of one row of parts; what each case makes wide.
struct WideForm {
    std::unique_ptr<Form> form = std::make_unique<Form>(QStringLiteral("frmWide"));
    QHBoxLayout* row = new QHBoxLayout;
    QComboBox* combo = nullptr;
    ScrollPage* page = nullptr;

    WideForm() {
        auto* column = new QVBoxLayout(form.get());
        column->addLayout(row);
    }
    // A part that asks for that width and allows no less.
    void addFixed(int width, QLayout* into = nullptr) {
        auto* part = new QLabel;
        part->setFixedSize(width, 20);
        (into ? into : row)->addWidget(part);
    }
    // The room the form asks for across, frame included.
    int askedWidth() const {
        const QMargins frame = runtime::FrameMarginsOf(form.get());
        return form->width() + frame.left() + frame.right();
    }
};

TEST(FitOnWorkArea, AFormWiderThanTheWorkAreaComesToLieOnIt) {
    const int area = QGuiApplication::primaryScreen()->availableGeometry().width();
    ASSERT_EQ(area, 800);
    const struct {
        const char* what;
        std::function<void(WideForm&)> make;
        // Whether it closes up: its least width goes down.
        bool closesUp;
    } cases[] = {
        {"narrow parts, resized wider than the screen",
         [](WideForm& w) {
             w.addFixed(300);
             w.addFixed(300);
             w.form->resize(1000, 100);
         },
         false},
        {"a combo box as wide as a long item",
         [](WideForm& w) {
             w.addFixed(500);
             w.combo = new QComboBox;
             w.combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
             w.combo->addItem(QStringLiteral("South Georgia The South Sandwitch Islands and more "
                                             "islands of the southern ocean"));
             w.row->addWidget(w.combo);
         },
         true},
        {"the gaps between its parts",
         [](WideForm& w) {
             w.row->setSpacing(30);
             for (int i = 0; i < 8; ++i)
                 w.addFixed(90);
         },
         true},
        {"a page that can scroll",
         [](WideForm& w) {
             auto* inner = new QWidget;
             auto* parts = new QHBoxLayout(inner);
             w.addFixed(900, parts);
             w.page = new ScrollPage(inner);
             w.row->addWidget(w.page);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WideForm w;
        c.make(w);
        w.form->show();
        const int leastBefore = w.form->minimumSizeHint().width();
        const QString longest = w.combo ? w.combo->itemText(0) : QString();
        const int comboBefore = w.combo ? w.combo->sizeHint().width() : 0;
        ASSERT_GT(w.askedWidth(), area);
        w.form->FitOnWorkArea();
        EXPECT_LE(w.askedWidth(), area);
        EXPECT_GE(w.form->width(), w.form->minimumSizeHint().width()) << "nothing is cut";
        if (c.closesUp) {
            EXPECT_LT(w.form->minimumSizeHint().width(), leastBefore);
        } else {
            EXPECT_EQ(w.form->minimumSizeHint().width(), leastBefore);
        }
        if (w.combo) {
            // Its list opens as wide as the item.
            EXPECT_GE(w.combo->view()->minimumWidth(), comboBefore) << longest.toStdString();
        }
        if (w.page) {
            EXPECT_TRUE(w.page->LetGo());
        }
        w.form->CenterOver(nullptr);
        const QRect frame = runtime::FrameRect(w.form.get(), w.form->size())
                                .translated(w.form->frameGeometry().topLeft());
        EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(frame));
    }
}

// A form that fits is left as it is, and so is its page: nothing moves on a screen with room.
TEST(FitOnWorkArea, AFormThatFitsIsLeftAsItIs) {
    WideForm w;
    auto* inner = new QWidget;
    auto* parts = new QHBoxLayout(inner);
    w.addFixed(500, parts);
    w.page = new ScrollPage(inner);
    w.row->addWidget(w.page);
    w.row->setSpacing(12);
    w.form->show();
    const QSize before = w.form->size();
    w.form->FitOnWorkArea();
    EXPECT_EQ(w.form->size(), before);
    EXPECT_EQ(w.row->spacing(), 12);
    EXPECT_FALSE(w.page->LetGo());
    // The page asks for what its contents ask for, as if it were not there.
    EXPECT_EQ(w.page->minimumSizeHint().width(), inner->minimumSizeHint().width());
}

} // namespace
