#pragma once
// The program's print dialog as a user meets it: each time it comes up, the next of the actions
// given runs with it (finding its controls, setting them, pressing OK or Cancel), once its
// printer's options are known (OK enabled) or it says why they are not.
#include "runtime/Form.h"
#include "runtime/PrintDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

class PrinterDialogUser {
public:
    using Action = std::function<void(runtime::PrinterDialog*)>;
    PrinterDialogUser() {
        QObject::connect(&poll_, &QTimer::timeout, [this] { look(); });
        poll_.start(20);
    }
    // The next dialog that comes up gets this action; a dialog with none left waits.
    void Then(Action act) { actions_.push_back(std::move(act)); }
    // Dialogs that came up so far.
    int seen() const { return seen_; }

    static runtime::PrinterDialog* Open() {
        auto* dialog =
            qobject_cast<runtime::PrinterDialog*>(FindForm(QStringLiteral("frmPrinter")));
        return dialog && dialog->isVisible() ? dialog : nullptr;
    }
    // Chooses the item whose keyword (item data) is that; false when the box has none.
    static bool Choose(QComboBox* box, const QVariant& data) {
        const int at = box->findData(data);
        if (at >= 0)
            box->setCurrentIndex(at);
        return at >= 0;
    }
    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemData(i).toString();
        return items;
    }
    // A key pressed in the dialog, as a user presses it (Return for OK, Escape for Cancel).
    static void Press(runtime::PrinterDialog* dialog, Qt::Key key) {
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog, 10000));
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused && focused->window() == dialog ? focused : dialog, key);
    }
    // Saves what the dialog shows as build/screenshots/<name>.png.
    static void Shoot(QWidget* dialog, const QString& name) {
        QDir().mkpath(QStringLiteral(TALLIX_BUILD_DIR "/screenshots"));
        dialog->grab().save(QStringLiteral(TALLIX_BUILD_DIR "/screenshots/%1.png").arg(name));
    }

private:
    void look() {
        runtime::PrinterDialog* dialog = Open();
        if (!dialog || dialog == current_)
            return;
        // Ready: the options are shown, or the dialog says why not.
        if (!dialog->cmdOK->isEnabled() &&
            dialog->lblStatus->text().contains(QLatin1String("Asking")))
            return;
        current_ = dialog;
        ++seen_;
        if (actions_.empty())
            return;
        Action act = std::move(actions_.front());
        actions_.pop_front();
        act(dialog);
    }
    QTimer poll_;
    std::deque<Action> actions_;
    QPointer<runtime::PrinterDialog> current_;
    int seen_ = 0;
};
