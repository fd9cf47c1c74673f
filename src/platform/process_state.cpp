#include "process_state.h"

#include <QByteArray>
#include <QFile>
#include <QList>

namespace platform {

ProcessSample SampleProcess(long long pid) {
    ProcessSample sample;
    if (pid <= 0)
        return sample;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return sample;
    // "pid (name) state ppid ...": the name may hold blanks and brackets, so the fields are
    // counted from the last closing bracket. utime and stime are fields 14 and 15.
    const QByteArray line = stat.read(4096);
    const auto close = line.lastIndexOf(')');
    if (close < 0)
        return sample;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 13 || fields[0].isEmpty())
        return sample;
    sample.state = fields[0].at(0);
    sample.exists = sample.state != 'Z' && sample.state != 'X';
    sample.cpuTicks = fields[11].toULongLong() + fields[12].toULongLong();
    return sample;
}

} // namespace platform
