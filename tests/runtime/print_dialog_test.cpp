// The print dialog writes its numbers as the rest of the program does, with Latin digits, in
// every language.
#include "runtime/PrintDialog.h"

#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

TEST(PrintDialogNumbers, TheCopiesAreWrittenWithLatinDigitsInEveryLanguage) {
    for (const char* name : {"en_US", "fa_IR", "ar_EG", "hi_IN"}) {
        SCOPED_TRACE(name);
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        runtime::PrintQueues queues;
        queues.reach = runtime::PrintQueues::Answered;
        queues.names = {QStringLiteral("office")};
        queues.chosen = QStringLiteral("office");
        queues.options.known = true;
        queues.options.copiesMax = 999;
        runtime::PrintSettings settings;
        settings.queue = QStringLiteral("office");
        settings.copies = 12;
        auto* dialog = new runtime::PrinterDialog(queues, settings);
        EXPECT_EQ(dialog->txtCopies->text(), QStringLiteral("12"));
        // Typed as a user types it.
        auto* edit = dialog->txtCopies->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        edit->insert(QStringLiteral("7"));
        EXPECT_EQ(dialog->txtCopies->value(), 7);
        dialog->Unload();
    }
    QLocale::setDefault(QLocale::system());
}

} // namespace
