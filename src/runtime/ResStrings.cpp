#include "ResStrings.h"

#include <QFile>
#include <QHash>

namespace {
const QHash<int, QString>& table() {
    static const QHash<int, QString> entries = [] {
        QHash<int, QString> map;
        QFile f(QStringLiteral(":/strings.txt"));
        if (!f.open(QIODevice::ReadOnly)) {
            qWarning("tallix-time: the string table is missing from the executable");
            return map;
        }
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        for (const QString& line : lines) {
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const int tab = line.indexOf(u'\t');
            bool ok = false;
            const int id = line.left(tab).toInt(&ok);
            if (tab > 0 && ok) {
                QString text = line.mid(tab + 1);
                if (text.endsWith(u'\r'))
                    text.chop(1);
                map.insert(id, text);
            }
        }
        return map;
    }();
    return entries;
}
} // namespace

QString LoadResString(int id) {
    return table().value(id);
}
bool HasResString(int id) {
    return table().contains(id);
}
QString LoadResStringLines(int id) {
    return LoadResString(id).replace(QStringLiteral("<BR>"), QStringLiteral("\r\n"));
}
QString ResStringLanguage() {
    return QStringLiteral("en");
}
