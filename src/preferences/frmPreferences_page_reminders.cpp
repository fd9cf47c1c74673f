// Page 2, Reminders: the verse, the minutes before and after each of the six daily times, and
// the reminder's visual alerts and sound.
#include "frmPreferences.h"

#include "runtime/ImageControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The picture of the verse: its meaning in one line, 653 x 42.
QPixmap versePicture(const QFont& font) {
    QPixmap pixmap(653, 42);
    pixmap.fill(QColor(250, 246, 232));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(176, 141, 60));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 652, 41), 4, 4);
    QFont f = font;
    f.setItalic(true);
    f.setPointSizeF(std::max(7.0, f.pointSizeF()));
    painter.setFont(f);
    painter.setPen(QColor(60, 45, 20));
    painter.drawText(QRect(8, 2, 637, 38), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("Guard strictly your prayers, especially the Middle Prayer; "
                                    "and stand before Allah in a devout frame of mind. (2:238)"));
    return pixmap;
}

// Passes left presses on a widget to the dialog.
class PressFilter : public QObject {
public:
    PressFilter(QObject* parent, std::function<void(int)> onPress)
        : QObject(parent), onPress_(std::move(onPress)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            int button = 0;
            if (mouse->button() == Qt::LeftButton)
                button = 1;
            else if (mouse->button() == Qt::RightButton)
                button = 2;
            else if (mouse->button() == Qt::MiddleButton)
                button = 4;
            onPress_(button);
            // Taken here: a press on the picture must not reach its frame and play twice.
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int)> onPress_;
};

} // namespace

void frmPreferences::createReminderPage() {
    auto* page = new QWidget(tabMain);

    fraAlBaqarah238 = new QGroupBox(page);
    fraAlBaqarah238->setObjectName(QStringLiteral("fraAlBaqarah238"));
    imgAlBaqarah238 = new Image(fraAlBaqarah238);
    imgAlBaqarah238->setObjectName(QStringLiteral("imgAlBaqarah238"));
    imgAlBaqarah238->SetPicture(StdPicture(versePicture(font())));
    imgAlBaqarah238->setFixedSize(653, 42);
    auto* verse = new QHBoxLayout(fraAlBaqarah238);
    verse->addWidget(imgAlBaqarah238, 0, Qt::AlignCenter);
    auto* press = new PressFilter(this, [this](int button) { PlayAlBaqarah238(button); });
    fraAlBaqarah238->installEventFilter(press);
    imgAlBaqarah238->installEventFilter(press);

    const auto minuteFrame = [this, page](const char* name, std::array<QLabel*, 7>& labels,
                                          std::array<QComboBox*, 7>& lists, QPushButton*& copy,
                                          const char* copyName, const char* listName) {
        auto* frame = new QGroupBox(page);
        frame->setObjectName(QString::fromLatin1(name));
        auto* grid = new QGridLayout(frame);
        for (int i = 1; i <= 6; ++i) {
            auto* label = new QLabel(frame);
            auto* list = new QComboBox(frame);
            list->setObjectName(QStringLiteral("%1(%2)").arg(QString::fromLatin1(listName)).arg(i));
            label->setBuddy(list);
            labels[std::size_t(i)] = label;
            lists[std::size_t(i)] = list;
            connect(list, &QComboBox::currentIndexChanged, this,
                    &frmPreferences::cboReminder_Click);
            grid->addWidget(label, 0, 2 * i - 2);
            grid->addWidget(list, 1, 2 * i - 2);
        }
        copy = newPictureButton(frame, copyName, QStyle::SP_ArrowForward);
        grid->addWidget(copy, 1, 1);
        for (int c = 0; c < 11; c += 2)
            grid->setColumnStretch(c, 1);
        return frame;
    };
    fraReminderBefore = minuteFrame("fraReminderBefore", lblReminderBefore, cboReminderBefore,
                                    cmdIdenticalBefore, "cmdIdenticalBefore", "cboReminderBefore");
    fraReminderAfter = minuteFrame("fraReminderAfter", lblReminderAfter, cboReminderAfter,
                                   cmdIdenticalAfter, "cmdIdenticalAfter", "cboReminderAfter");
    // The frames' captions are the form's own.
    fraReminderBefore->setTitle(QStringLiteral("Remin&der Before (Minutes)"));
    fraReminderAfter->setTitle(QStringLiteral("Reminder Af&ter (Minutes)"));
    connect(cmdIdenticalBefore, &QPushButton::clicked, this,
            &frmPreferences::cmdIdenticalBefore_Click);
    connect(cmdIdenticalAfter, &QPushButton::clicked, this,
            &frmPreferences::cmdIdenticalAfter_Click);

    fraVisualAlertsReminder = new QGroupBox(page);
    fraVisualAlertsReminder->setObjectName(QStringLiteral("fraVisualAlertsReminder"));
    chkDisplayBalloonTipsReminder =
        newCheckBox(fraVisualAlertsReminder, "chkDisplayBalloonTipsReminder");
    chkDisplayMainScreenReminder =
        newCheckBox(fraVisualAlertsReminder, "chkDisplayMainScreenReminder");
    chkFlashTrayIconReminder = newCheckBox(fraVisualAlertsReminder, "chkFlashTrayIconReminder");
    auto* alerts = new QVBoxLayout(fraVisualAlertsReminder);
    alerts->addWidget(chkDisplayBalloonTipsReminder);
    alerts->addWidget(chkDisplayMainScreenReminder);
    alerts->addWidget(chkFlashTrayIconReminder);
    alerts->addStretch(1);

    fraAudioAlertsReminder = createSlotFrame(7, optAudioTypeReminder, 5);

    auto* grid = new QGridLayout(page);
    grid->addWidget(fraAlBaqarah238, 0, 0, 1, 2);
    grid->addWidget(fraReminderBefore, 1, 0, 1, 2);
    grid->addWidget(fraReminderAfter, 2, 0, 1, 2);
    grid->addWidget(fraVisualAlertsReminder, 3, 0);
    grid->addWidget(fraAudioAlertsReminder, 3, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    tabMain->addTab(page, QString());
}
