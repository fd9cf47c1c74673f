// Reading the place file within limits: the bytes of a regular file of bounded size, the
// countries found by one pass over the markup, and a country's cities parsed when asked for.
#include "placefile.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The whole of a regular file of at most `limit` bytes. O_NONBLOCK keeps a FIFO from holding
// the caller up; anything but a regular file is refused before a byte is read.
enum class Load { Read, Missing, Failed, NotRegular, TooLarge };

Load readRegularFile(const QString& path, qint64 limit, QByteArray* out, QString* error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return errno == ENOENT ? Load::Missing : Load::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Load::NotRegular;
    }
    if (st.st_size > limit) {
        ::close(fd);
        return Load::TooLarge;
    }
    // What the file holds now, up to the size it had when opened.
    out->resize(static_cast<qsizetype>(st.st_size));
    qsizetype got = 0;
    while (got < out->size()) {
        const ssize_t n = ::read(fd, out->data() + got, static_cast<size_t>(out->size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            out->clear();
            return Load::Failed;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    out->truncate(got);
    return Load::Read;
}

// A country's element found in the markup.
struct Found {
    qsizetype begin = 0; // its start tag
    qsizetype tagEnd = 0;
    qsizetype end = -1; // past its end tag; -1 while open
    int cities = 0;
};

// The pass over the markup: comments, processing instructions and character data are stepped
// over, start and end tags counted by depth. The element names and the content are checked
// when a country is parsed; this pass checks that every element closes, that nothing is
// nested deeper than the limit, and the number of cities.
class MarkupScan {
public:
    explicit MarkupScan(const QByteArray& b) : b_(b) {}

    bool run(QList<Found>* countries, QString* error, qsizetype* at) {
        qsizetype pos = b_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        int depth = 0;
        bool rootSeen = false;
        bool rootClosed = false;
        int total = 0;
        for (;;) {
            const qsizetype lt = b_.indexOf('<', pos);
            if (depth == 0 && !blank(pos, lt < 0 ? b_.size() : lt))
                return fail(PlaceFile::tr("it holds text outside its document element"), pos, error,
                            at);
            if (lt < 0)
                break;
            // One look at the character after "<" tells what follows.
            const char kind = lt + 1 < b_.size() ? b_[lt + 1] : '\0';
            const QByteArrayView rest(b_.constData() + lt, b_.size() - lt);
            if (kind == '!' && rest.startsWith("<!--")) {
                if ((pos = after("-->", lt + 4)) < 0)
                    return fail(PlaceFile::tr("a comment is not closed"), lt, error, at);
            } else if (kind == '!' && rest.startsWith("<![CDATA[")) {
                if (depth == 0 || (pos = after("]]>", lt + 9)) < 0)
                    return fail(
                        PlaceFile::tr("a character data section is misplaced or not closed"), lt,
                        error, at);
            } else if (kind == '?') {
                if ((pos = after("?>", lt + 2)) < 0)
                    return fail(PlaceFile::tr("a processing instruction is not closed"), lt, error,
                                at);
            } else if (kind == '!') {
                return fail(PlaceFile::tr("it holds a document type declaration"), lt, error, at);
            } else if (kind == '/') {
                const qsizetype gt = b_.indexOf('>', lt);
                if (gt < 0 || depth == 0)
                    return fail(PlaceFile::tr("an end tag has no element to close"), lt, error, at);
                if (--depth == 1 && !countries->isEmpty() && countries->last().end < 0)
                    countries->last().end = gt + 1;
                rootClosed = depth == 0;
                pos = gt + 1;
            } else {
                const qsizetype gt = tagEnd(lt + 1);
                if (gt < 0)
                    return fail(PlaceFile::tr("a start tag is not closed"), lt, error, at);
                if (rootClosed)
                    return fail(PlaceFile::tr("it holds a second document element"), lt, error, at);
                const bool empty = b_[gt - 1] == '/';
                const int level = depth + 1;
                if (level > PlaceFile::kMaxDepth)
                    return fail(PlaceFile::tr("its elements are nested more than %1 deep")
                                    .arg(PlaceFile::kMaxDepth),
                                lt, error, at);
                rootSeen = true;
                if (level == 2 && name(lt + 1) == "country")
                    *countries << Found{lt, gt + 1, empty ? gt + 1 : -1, 0};
                if (level == 3 && !countries->isEmpty() && countries->last().end < 0) {
                    if (++countries->last().cities > PlaceFile::kMaxCitiesPerCountry)
                        return fail(PlaceFile::tr("a country holds more than %1 cities")
                                        .arg(PlaceFile::kMaxCitiesPerCountry),
                                    lt, error, at);
                    if (++total > PlaceFile::kMaxCities)
                        return fail(PlaceFile::tr("it holds more than %1 cities")
                                        .arg(PlaceFile::kMaxCities),
                                    lt, error, at);
                }
                if (!empty)
                    depth = level;
                rootClosed = rootSeen && depth == 0;
                pos = gt + 1;
            }
        }
        if (!rootSeen)
            return fail(PlaceFile::tr("it holds no elements"), b_.size(), error, at);
        if (depth != 0)
            return fail(PlaceFile::tr("it ends before its elements are closed"), b_.size(), error,
                        at);
        return true;
    }

private:
    bool blank(qsizetype from, qsizetype to) const {
        for (qsizetype i = from; i < to; ++i)
            if (!std::strchr(" \t\r\n", b_[i]))
                return false;
        return true;
    }
    qsizetype after(const char* marker, qsizetype from) const {
        const qsizetype p = b_.indexOf(marker, from);
        return p < 0 ? -1 : p + static_cast<qsizetype>(std::strlen(marker));
    }
    // The ">" that ends a tag, quoted values stepped over; -1 when a "<" or a NUL (which no
    // XML text holds) comes first. The array's own terminating NUL ends the search.
    qsizetype tagEnd(qsizetype from) const {
        const char* const data = b_.constData();
        for (qsizetype i = from; i < b_.size();) {
            i += static_cast<qsizetype>(std::strcspn(data + i, "<>\"'"));
            if (i >= b_.size() || data[i] == '<' || data[i] == '\0')
                return -1;
            if (data[i] == '>')
                return i;
            const char* close = static_cast<const char*>(
                std::memchr(data + i + 1, data[i], static_cast<size_t>(b_.size() - i - 1)));
            if (!close)
                return -1;
            i = close - data + 1;
        }
        return -1;
    }
    QByteArrayView name(qsizetype from) const {
        qsizetype i = from;
        while (i < b_.size() && !std::strchr(" \t\r\n/>", b_[i]))
            ++i;
        return QByteArrayView(b_.constData() + from, i - from);
    }
    static bool fail(const QString& what, qsizetype where, QString* error, qsizetype* at) {
        *error = what;
        *at = where;
        return false;
    }

    const QByteArray& b_;
};

QString firstAttribute(const QXmlStreamReader& r) {
    const QXmlStreamAttributes a = r.attributes();
    return a.isEmpty() ? QString() : a.first().value().toString();
}

// A whole number within the bounds, or nothing.
std::optional<long> whole(const QString& text, long bound) {
    bool ok = false;
    const long v = text.trimmed().toLong(&ok);
    if (!ok || v < -bound || v > bound)
        return std::nullopt;
    return v;
}

} // namespace

bool PlaceFile::Open(const QString& path, QString* reason) {
    Close();
    QString error;
    switch (readRegularFile(path, kMaxBytes, &bytes_, &error)) {
    case Load::Read:
        break;
    case Load::Missing:
        *reason = tr("%1 was not found.").arg(QDir::toNativeSeparators(path));
        return false;
    case Load::Failed:
        *reason = tr("%1 could not be opened: %2.").arg(path, error);
        return false;
    case Load::NotRegular:
        *reason = tr("%1 is not a regular file.").arg(path);
        return false;
    case Load::TooLarge:
        *reason = tr("%1 is larger than %2 MB.").arg(path).arg(kMaxBytes >> 20);
        return false;
    }
    if (std::all_of(bytes_.cbegin(), bytes_.cend(),
                    [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; })) {
        *reason = tr("%1 is empty.").arg(path);
        Close();
        return false;
    }
    const auto invalid = [&](const QString& what, qsizetype at) {
        const qsizetype line = QByteArrayView(bytes_.constData(), at).count('\n') + 1;
        *reason = tr("%1 is not a valid place file (line %2: %3).").arg(path).arg(line).arg(what);
        Close();
        return false;
    };
    QList<Found> found;
    qsizetype at = 0;
    if (!MarkupScan(bytes_).run(&found, &error, &at))
        return invalid(error, at);
    // The declaration, when there is one, must announce the encoding the countries are read in.
    const qsizetype start = bytes_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (QByteArrayView(bytes_).sliced(start).startsWith("<?xml")) {
        QXmlStreamReader r(bytes_.left(bytes_.indexOf("?>") + 2) + "<x/>");
        r.readNext();
        if (!r.hasError() && !r.documentEncoding().isEmpty() &&
            r.documentEncoding().compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
            return invalid(tr("it is not in UTF-8"), 0);
    }
    for (const Found& f : found) {
        // The start tag alone, closed, gives the name.
        QByteArray tag = bytes_.mid(f.begin, f.tagEnd - f.begin);
        if (!tag.endsWith("/>"))
            tag.insert(tag.size() - 1, '/');
        QXmlStreamReader r(tag);
        if (!r.readNextStartElement())
            return invalid(r.errorString(), f.begin);
        countries_ << Country{firstAttribute(r), f.begin, f.end};
    }
    if (countries_.isEmpty()) {
        *reason = tr("%1 holds no countries.").arg(path);
        Close();
        return false;
    }
    path_ = path;
    reason->clear();
    return true;
}

void PlaceFile::Close() {
    path_.clear();
    bytes_ = QByteArray();
    countries_.clear();
}

QString PlaceFile::CountryName(int country) const {
    return country >= 0 && country < countries_.size() ? countries_[country].name : QString();
}

QList<PlaceCity> PlaceFile::Cities(int country, QString* problem) const {
    QList<PlaceCity> out;
    if (problem)
        problem->clear();
    if (country < 0 || country >= countries_.size())
        return out;
    const Country& c = countries_[country];
    QXmlStreamReader r(QByteArray::fromRawData(bytes_.constData() + c.begin, c.end - c.begin));
    r.readNextStartElement(); // the country
    while (r.readNextStartElement()) {
        const QString name = firstAttribute(r);
        QString fields[5];
        int count = 0;
        while (r.readNextStartElement()) {
            if (count < 5)
                fields[count] = r.readElementText(QXmlStreamReader::IncludeChildElements);
            else
                r.skipCurrentElement();
            ++count;
        }
        if (r.hasError())
            break;
        if (count < 5 || name.trimmed().isEmpty())
            continue;
        const auto lat = whole(fields[1], 900000);
        const auto lon = whole(fields[2], 1800000);
        const auto gmt = whole(fields[3], 1500);
        const auto dst = whole(fields[4], 1000);
        if (!lat || !lon || !gmt || !dst)
            continue;
        out << PlaceCity{name,           fields[0],    *lat / 10000.0,
                         *lon / 10000.0, *gmt / 100.0, static_cast<int>(*dst)};
    }
    if (r.hasError() && problem) {
        const qsizetype line =
            QByteArrayView(bytes_.constData(), c.begin).count('\n') + r.lineNumber();
        *problem = tr("%1 is not a valid place file (line %2: %3).")
                       .arg(path_)
                       .arg(line)
                       .arg(r.errorString());
    }
    return out;
}
