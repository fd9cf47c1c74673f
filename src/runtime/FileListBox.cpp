#include "FileListBox.h"

#include "ErrObject.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {

constexpr long kErrInvalidIndex = 381;

QList<QRegularExpression> compilePatterns(const QString& pattern) {
    QList<QRegularExpression> res;
    for (const QString& part : pattern.split(QLatin1Char(';'))) {
        const QString p = part.trimmed();
        if (p.isEmpty())
            continue;
        // "*.*" means every file, names without a dot included.
        const QString wildcard = p == QLatin1String("*.*") ? QStringLiteral("*") : p;
        res.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                      QRegularExpression::CaseInsensitiveOption));
    }
    return res;
}

QStringList listFolder(const QString& folder, const QString& pattern) {
    QStringList names;
    if (folder.isEmpty())
        return names;
    const QList<QRegularExpression> patterns = compilePatterns(pattern);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Readable)) {
        if (std::any_of(patterns.cbegin(), patterns.cend(),
                        [&](const QRegularExpression& re) { return re.match(name).hasMatch(); }))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

} // namespace

void FileListBox::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    Refresh();
}

bool FileListBox::SetPath(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable()) {
        Err.Raise(vbErrPathNotFound);
        return false;
    }
    path_ = QDir::cleanPath(info.absoluteFilePath());
    Refresh();
    return true;
}

void FileListBox::Refresh() {
    names_ = listFolder(path_, pattern_);
}

QString FileListBox::List(int index) const {
    if (index < 0 || index >= names_.size()) {
        Err.Raise(kErrInvalidIndex, QStringLiteral("Invalid property array index"));
        return QString();
    }
    return names_.at(index);
}
