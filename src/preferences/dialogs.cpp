#include "dialogs.h"

#include "core/kaaba.h"
#include "core/mAPI.h"
#include "runtime/Colors.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
std::function<void(QFileDialog&)> g_fileDriver;
std::function<void(QColorDialog&)> g_colorDriver;
} // namespace

namespace preferences {
void InstallFileDialogDriver(std::function<void(QFileDialog&)> driver) {
    g_fileDriver = std::move(driver);
}
void InstallColorDialogDriver(std::function<void(QColorDialog&)> driver) {
    g_colorDriver = std::move(driver);
}
} // namespace preferences

int RunFileDialog(QFileDialog& dialog) {
    if (g_fileDriver) {
        g_fileDriver(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

int RunColorDialog(QColorDialog& dialog) {
    if (g_colorDriver) {
        g_colorDriver(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

QStringList NameFiltersOf(const QString& sFilter) {
    QString text = sFilter;
    text.replace(QStringLiteral("<NULL>"), QString(QChar(0)));
    const QStringList parts = text.split(QChar(0), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns =
            QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(parts.at(i).contains(QLatin1Char('('))
                           ? parts.at(i)
                           : QStringLiteral("%1 (%2)").arg(parts.at(i), patterns));
    }
    return filters;
}

QString DialogFolderFor(const QString& sInitial) {
    const QFileInfo initial(sInitial);
    if (!sInitial.trimmed().isEmpty()) {
        if (initial.isDir())
            return initial.absoluteFilePath();
        if (initial.absoluteDir().exists())
            return initial.absolutePath();
    }
    return GetDocumentsFolder();
}

QString GetImageFile(QWidget* owner, const QString& sFilter, const QString& sInitialDir,
                     const QString& sTitle) {
    QStringList filters = NameFiltersOf(sFilter);
    // JPEG pictures also come as .jpeg, and PNG is the picture format of today.
    for (QString& filter : filters)
        filter.replace(QStringLiteral("(*.jpg)"), QStringLiteral("(*.jpg *.jpeg)"));
    filters.append(QStringLiteral("PNG Image (*.png)"));
    const QString all = QString::fromLatin1(kPictureFilePatterns).replace(u';', u' ');
    filters.prepend(QStringLiteral("All pictures (%1)").arg(all));

    QFileDialog dialog(owner, sTitle);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    dialog.setDirectory(DialogFolderFor(sInitialDir));
    const QFileInfo initial(sInitialDir);
    if (initial.isFile())
        dialog.selectFile(initial.fileName());
    if (RunFileDialog(dialog) != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

bool ChooseColorRGB(QWidget* owner, std::int32_t lInitial,
                    const std::array<std::int32_t, 16>& customColors, std::int32_t* lResult) {
    for (int k = 0; k < 16; ++k)
        QColorDialog::setCustomColor(k, TranslateColor(customColors[std::size_t(k)]));
    QColorDialog dialog(TranslateColor(lInitial), owner);
    if (RunColorDialog(dialog) != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.currentColor();
    if (!chosen.isValid())
        return false;
    if (lResult)
        *lResult = RGBOf(chosen);
    return true;
}
