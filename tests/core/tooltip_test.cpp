// clsToolTip and the two functions that put tips on controls.
#include "core/clsToolTip.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

namespace {

class ToolTipFixture : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->resize(300, 200);
        button = new QPushButton(QStringLiteral("Go"), form.get());
        label = new QLabel(QStringLiteral("Fajr"), form.get());
        ASSERT_TRUE(tip.Create(form.get()));
        tip.MaxTipWidth(40);
        tip.DelayTime(TTDT_AUTOPOP, 30000);
        tip.ToolTipHeaderShow(false);
    }
    // The text the tooltip window would show on the control.
    QString toolText(QWidget* ctl) const {
        for (int i = 0; i < tip.ToolCount(); ++i)
            if (tip.Window()->tool(i) == ctl)
                return tip.Window()->toolText(i);
        return QStringLiteral("(no tool)");
    }
    clsToolTip tip;
    std::unique_ptr<QWidget> form;
    QPushButton* button = nullptr;
    QLabel* label = nullptr;
};

TEST_F(ToolTipFixture, SettingTwiceLeavesOneToolWithTheSecondText) {
    SetControlToolTip(tip, button, QStringLiteral("first"));
    SetControlToolTip(tip, button, QStringLiteral("second"));
    EXPECT_EQ(tip.ToolCount(), 1);
    EXPECT_EQ(toolText(button), QStringLiteral("second"));
    EXPECT_TRUE(tip.HasToolTip(button));
    EXPECT_TRUE(button->toolTip().isEmpty());
    // The tool shows for 30 seconds.
    EXPECT_EQ(tip.Window()->delayTime(TTDT_AUTOPOP), 30000);
    EXPECT_EQ(tip.Window()->maxTipWidth(), 40);

    ClearControlToolTip(tip, button);
    EXPECT_EQ(tip.ToolCount(), 0);
    EXPECT_FALSE(tip.HasToolTip(button));
}

// A button that says how many connections watch for its end.
class WatchedButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    int watches() const { return receivers(SIGNAL(destroyed(QObject*))); }
};

// The main window sets its tips again at every refresh, all day long: the tool window keeps
// one watch per control, not one per setting.
TEST_F(ToolTipFixture, SettingAgainAndAgainKeepsOneWatchOnTheControl) {
    auto* watched = new WatchedButton(QStringLiteral("Asr"), form.get());
    const int before = watched->watches();
    SetControlToolTip(tip, watched, QStringLiteral("first"));
    const int once = watched->watches();
    for (int i = 0; i < 20; ++i)
        SetControlToolTip(tip, watched, QStringLiteral("again %1").arg(i));
    EXPECT_EQ(watched->watches(), once);
    ClearControlToolTip(tip, watched);
    EXPECT_EQ(watched->watches(), before);
    // Still a tool that goes with its control.
    SetControlToolTip(tip, watched, QStringLiteral("last"));
    delete watched;
    EXPECT_EQ(tip.ToolCount(), 0);
}

TEST_F(ToolTipFixture, LabelsFallBackOnTheirOwnTooltip) {
    SetControlToolTip(tip, label, QStringLiteral("Dawn prayer\r\n5:12 AM"));
    EXPECT_EQ(tip.ToolCount(), 0);
    EXPECT_FALSE(tip.HasToolTip(label));
    EXPECT_EQ(label->toolTip(), QStringLiteral("Dawn prayer\r\n5:12 AM"));
    // Clearing takes the label's own text off as well.
    ClearControlToolTip(tip, label);
    EXPECT_TRUE(label->toolTip().isEmpty());
}

TEST_F(ToolTipFixture, ClearingAControlWithoutAToolChangesNothing) {
    button->setToolTip(QStringLiteral("its own"));
    ClearControlToolTip(tip, button);
    EXPECT_EQ(button->toolTip(), QStringLiteral("its own"));
    EXPECT_EQ(tip.ToolCount(), 0);
}

TEST_F(ToolTipFixture, WithoutATooltipWindowTheControlKeepsTheText) {
    clsToolTip none;
    SetControlToolTip(none, button, QStringLiteral("fallback"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("fallback"));
    EXPECT_EQ(none.ToolCount(), 0);
    EXPECT_FALSE(none.RemoveTool(button));
}

TEST_F(ToolTipFixture, MultiLineTipShowsItsLinesUnwrapped) {
    form->show();
    const QString longLine(200, u'w');
    SetControlToolTip(tip, button, QStringLiteral("one\r\ntwo\r\n") + longLine);
    QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), button->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(button, &help);
    ASSERT_TRUE(QToolTip::isVisible());
    QLabel* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            shown = qobject_cast<QLabel*>(w);
    ASSERT_NE(shown, nullptr);
    const QFontMetrics fm(shown->font());
    // Three lines high, and as wide as the long line.
    EXPECT_GE(shown->sizeHint().height(), 3 * fm.lineSpacing());
    EXPECT_LT(shown->sizeHint().height(), 5 * fm.lineSpacing());
    EXPECT_GE(shown->sizeHint().width(), fm.horizontalAdvance(longLine));
    QToolTip::hideText();
}

TEST(clsToolTip, CreateOnceAndDestroyWithTheObject) {
    QWidget form;
    {
        clsToolTip tip;
        EXPECT_EQ(tip.ToolCount(), 0);
        EXPECT_TRUE(tip.Create(&form));
        runtime::ToolTipWindow* first = tip.Window();
        EXPECT_TRUE(tip.Create(&form));
        EXPECT_EQ(tip.Window(), first);
        EXPECT_EQ(form.findChildren<runtime::ToolTipWindow*>().size(), 1);
    }
    EXPECT_TRUE(form.findChildren<runtime::ToolTipWindow*>().isEmpty());
    // Released with its window's form first: nothing left to destroy.
    clsToolTip late;
    {
        QWidget shortLived;
        late.Create(&shortLived);
    }
    EXPECT_EQ(late.Window(), nullptr);
    EXPECT_EQ(late.ToolCount(), 0);
}

} // namespace
