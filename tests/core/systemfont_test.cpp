// The system's message-box font on a window and its controls.
#include "core/cNonClientMetrics.h"
#include "core/datefmt.h"
#include "fakes/fake_system.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(cNonClientMetrics, MessageFontAsAFont) {
    FakeSystem sys;
    struct Case {
        QFont system;
        int dpi;
        QString family;
        double points;
        bool bold;
        bool italic;
    };
    QFont boldItalic(QStringLiteral("Cantarell"), 11, QFont::Bold, true);
    const Case cases[] = {
        {QFont(QStringLiteral("Noto Sans"), 9), 96, QStringLiteral("Noto Sans"), 9.0, false, false},
        {boldItalic, 96, QStringLiteral("Cantarell"), 11.25, true, true}, // -15 px at 96 dpi
        {QFont(QStringLiteral("Noto Sans"), 9), 120, QStringLiteral("Noto Sans"), 9.0, false,
         false},
    };
    for (const Case& c : cases) {
        sys.font = c.system;
        sys.dpi = c.dpi;
        const cNonClientMetrics ncm;
        const QFont f = ncm.SystemFont();
        EXPECT_EQ(f.family(), c.family);
        EXPECT_NEAR(f.pointSizeF(), c.points, 0.01) << c.family.toStdString() << " " << c.dpi;
        EXPECT_EQ(f.bold(), c.bold);
        EXPECT_EQ(f.italic(), c.italic);
    }
    // Every read is a font of its own.
    sys.font = QFont(QStringLiteral("Noto Sans"), 9);
    cNonClientMetrics ncm;
    QFont a = ncm.SystemFont();
    a.setPointSize(30);
    EXPECT_NEAR(ncm.SystemFont().pointSizeF(), 9.0, 0.01);
}

class SystemFontFixture : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->setObjectName(QStringLiteral("frmTest"));
        auto* frame = new QWidget(form.get());
        frame->setObjectName(QStringLiteral("fraPrayer"));
        cmdSave = new QPushButton(frame);
        cmdSave->setObjectName(QStringLiteral("cmdSave"));
        lblTime = new QLabel(form.get());
        lblTime->setObjectName(QStringLiteral("lblTime"));
        lstYearly = new QListWidget(form.get());
        lstYearly->setObjectName(QStringLiteral("lstYearlyPrayerTimes"));
        QFont mono(QStringLiteral("DejaVu Sans Mono"), 14);
        mono.setItalic(true);
        lstYearly->setFont(mono);
        cboCity = new QComboBox(form.get());
        cboCity->setObjectName(QStringLiteral("cboCity"));
        cboCity->setFont(QFont(QStringLiteral("DejaVu Serif"), 7));
    }
    std::unique_ptr<QWidget> form;
    QPushButton* cmdSave = nullptr;
    QLabel* lblTime = nullptr;
    QListWidget* lstYearly = nullptr;
    QComboBox* cboCity = nullptr;
};

TEST_F(SystemFontFixture, ControlsTakeTheFontListsOnlyItsFace) {
    FakeSystem sys;
    sys.font = QFont(QStringLiteral("Noto Sans"), 9); // lfHeight -12 at 96 dpi
    gTimeFormat = QStringLiteral("stale");
    ApplySystemFont(form.get());
    EXPECT_EQ(gTimeFormat, GetTimeFormatPattern());
    for (QWidget* w : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(cmdSave),
                       static_cast<QWidget*>(lblTime)}) {
        EXPECT_EQ(w->font().family(), QStringLiteral("Noto Sans")) << w->objectName().toStdString();
        EXPECT_NEAR(w->font().pointSizeF(), 9.0, 0.01) << w->objectName().toStdString();
    }
    EXPECT_EQ(lstYearly->font().family(), QStringLiteral("Noto Sans"));
    EXPECT_NEAR(lstYearly->font().pointSizeF(), 14.0, 0.01);
    EXPECT_TRUE(lstYearly->font().italic());
    EXPECT_EQ(cboCity->font().family(), QStringLiteral("Noto Sans"));
    EXPECT_NEAR(cboCity->font().pointSizeF(), 7.0, 0.01);

    // The system font changes: a second call shows the new face everywhere.
    sys.font = QFont(QStringLiteral("Cantarell"), 12);
    ApplySystemFont(form.get());
    for (QWidget* w : {static_cast<QWidget*>(cmdSave), static_cast<QWidget*>(lblTime),
                       static_cast<QWidget*>(lstYearly), static_cast<QWidget*>(cboCity)})
        EXPECT_EQ(w->font().family(), QStringLiteral("Cantarell")) << w->objectName().toStdString();
    EXPECT_NEAR(cmdSave->font().pointSizeF(), 12.0, 0.01);
    EXPECT_NEAR(lstYearly->font().pointSizeF(), 14.0, 0.01);
}

TEST_F(SystemFontFixture, AnotherWindowInsideIsLeftAlone) {
    FakeSystem sys;
    sys.font = QFont(QStringLiteral("Noto Sans"), 9);
    auto* dialog = new QWidget(form.get(), Qt::Dialog);
    auto* inner = new QPushButton(dialog);
    inner->setObjectName(QStringLiteral("cmdInner"));
    inner->setFont(QFont(QStringLiteral("DejaVu Serif"), 20));
    ApplySystemFont(form.get());
    EXPECT_EQ(inner->font().family(), QStringLiteral("DejaVu Serif"));
}

} // namespace
