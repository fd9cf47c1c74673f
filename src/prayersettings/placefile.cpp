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

// The place file opened for reading: O_NONBLOCK keeps a FIFO from holding the caller up, and
// anything but a regular file of at most `limit` bytes is refused before a byte is read.
enum class Load { Read, Missing, Failed, NotRegular, TooLarge };

Load openRegularFile(const QString& path, qint64 limit, int* fd, struct stat* st, QString* error) {
    *fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (*fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return errno == ENOENT ? Load::Missing : Load::Failed;
    }
    Load result = Load::Read;
    if (::fstat(*fd, st) != 0 || !S_ISREG(st->st_mode))
        result = Load::NotRegular;
    else if (st->st_size > limit)
        result = Load::TooLarge;
    if (result != Load::Read) {
        ::close(*fd);
        *fd = -1;
    }
    return result;
}

// Up to `count` bytes at `offset` into `to`: fewer at the end of the file, -1 on an error.
qsizetype readAt(int fd, qint64 offset, char* to, qsizetype count) {
    qsizetype got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, to + got, static_cast<size_t>(count - got),
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

QString firstAttribute(const QXmlStreamReader& r);

// The pass over the markup, a window of the file at a time: comments, processing instructions
// and character data are stepped over, start and end tags counted by depth. The element names
// and the content are checked when a country is parsed; this pass checks that every element
// closes, that nothing is nested deeper than the limit, and the number of cities.
class MarkupScan {
public:
    enum class Step { Scanned, NeedMore, Failed };

    // Scans the window b, whose first byte is the file's byte `base`, from `pos` on; *next is
    // where a token the window holds only part of begins (the window's end when none does).
    // With atEnd the window holds the rest of the file, and a part of a token is a fault.
    Step run(const QByteArray& b, qsizetype base, bool atEnd, qsizetype pos, qsizetype* next) {
        b_ = &b;
        const qsizetype size = b.size();
        for (;;) {
            const qsizetype lt = b.indexOf('<', pos);
            if (depth_ == 0 && !blank(pos, lt < 0 ? size : lt))
                return fail(PlaceFile::tr("it holds text outside its document element"), pos);
            if (lt < 0) {
                *next = size;
                return Step::Scanned;
            }
            // A token's start is looked at only once the window holds enough of it.
            if (size - lt < 16 && !atEnd) {
                *next = lt;
                return Step::NeedMore;
            }
            const auto more = [&](const QString& fault) {
                if (atEnd)
                    return fail(fault, lt);
                *next = lt;
                return Step::NeedMore;
            };
            // One look at the character after "<" tells what follows.
            const char kind = lt + 1 < size ? b[lt + 1] : '\0';
            const QByteArrayView rest(b.constData() + lt, size - lt);
            if (kind == '!' && rest.startsWith("<!--")) {
                if ((pos = after("-->", lt + 4)) < 0)
                    return more(PlaceFile::tr("a comment is not closed"));
            } else if (kind == '!' && rest.startsWith("<![CDATA[")) {
                if (depth_ == 0)
                    return fail(PlaceFile::tr("a character data section is misplaced"), lt);
                if ((pos = after("]]>", lt + 9)) < 0)
                    return more(PlaceFile::tr("a character data section is not closed"));
            } else if (kind == '?') {
                if ((pos = after("?>", lt + 2)) < 0)
                    return more(PlaceFile::tr("a processing instruction is not closed"));
            } else if (kind == '!') {
                return fail(PlaceFile::tr("it holds a document type declaration"), lt);
            } else if (kind == '/') {
                const qsizetype gt = b.indexOf('>', lt);
                if (gt < 0)
                    return more(PlaceFile::tr("an end tag is not closed"));
                if (depth_ == 0)
                    return fail(PlaceFile::tr("an end tag has no element to close"), lt);
                if (--depth_ == 1 && !found.isEmpty() && found.last().end < 0)
                    found.last().end = base + gt + 1;
                rootClosed_ = depth_ == 0;
                pos = gt + 1;
            } else {
                bool cut = false;
                const qsizetype gt = tagEnd(lt + 1, &cut);
                if (gt < 0 && cut)
                    return more(PlaceFile::tr("a start tag is not closed"));
                if (gt < 0)
                    return fail(PlaceFile::tr("a start tag is not closed"), lt);
                if (rootClosed_)
                    return fail(PlaceFile::tr("it holds a second document element"), lt);
                const bool empty = b[gt - 1] == '/';
                const int level = depth_ + 1;
                if (level > PlaceFile::kMaxDepth)
                    return fail(PlaceFile::tr("its elements are nested more than %1 deep")
                                    .arg(PlaceFile::kMaxDepth),
                                lt);
                rootSeen = true;
                if (level == 2 && name(lt + 1) == "country") {
                    // The start tag alone, closed, gives the name.
                    QByteArray tag = b.mid(lt, gt + 1 - lt);
                    if (!empty)
                        tag.insert(tag.size() - 1, '/');
                    QXmlStreamReader r(tag);
                    if (!r.readNextStartElement())
                        return fail(r.errorString(), lt);
                    found << PlaceFile::Country{firstAttribute(r), base + lt,
                                                empty ? base + gt + 1 : -1, lineAt(lt), 0};
                }
                if (level == 3 && !found.isEmpty() && found.last().end < 0) {
                    if (++found.last().cities > PlaceFile::kMaxCitiesPerCountry)
                        return fail(PlaceFile::tr("a country holds more than %1 cities")
                                        .arg(PlaceFile::kMaxCitiesPerCountry),
                                    lt);
                    if (++total_ > PlaceFile::kMaxCities)
                        return fail(PlaceFile::tr("it holds more than %1 cities")
                                        .arg(PlaceFile::kMaxCities),
                                    lt);
                }
                if (!empty)
                    depth_ = level;
                rootClosed_ = rootSeen && depth_ == 0;
                pos = gt + 1;
            }
        }
    }

    // The window is done with up to `upTo`: its lines are counted before it is dropped.
    void drop(qsizetype upTo) {
        lineAt(upTo);
        mark_ = 0;
    }
    // After the last window: whether every element closed.
    bool finish() {
        if (rootSeen && depth_ == 0)
            return true;
        fail(rootSeen ? PlaceFile::tr("it ends before its elements are closed")
                      : PlaceFile::tr("it holds no elements"),
             b_->size());
        return false;
    }

    QList<PlaceFile::Country> found;
    bool rootSeen = false;
    QString error;
    qsizetype errorLine = 0;

private:
    // The line of a position in the window; positions are asked for in the order they come.
    qsizetype lineAt(qsizetype at) {
        const char* const end = b_->constData() + at;
        for (const char* p = b_->constData() + mark_; p < end; ++p) {
            p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!p)
                break;
            ++lines_;
        }
        mark_ = std::max(mark_, at);
        return lines_ + 1;
    }
    bool blank(qsizetype from, qsizetype to) const {
        for (qsizetype i = from; i < to; ++i)
            if (!std::strchr(" \t\r\n", (*b_)[i]))
                return false;
        return true;
    }
    qsizetype after(const char* marker, qsizetype from) const {
        const qsizetype p = b_->indexOf(marker, from);
        return p < 0 ? -1 : p + static_cast<qsizetype>(std::strlen(marker));
    }
    // The ">" that ends a tag, quoted values stepped over; -1 when a "<" or a NUL (which no
    // XML text holds) comes first, or with *cut when the window ends first. The array's own
    // terminating NUL ends the search.
    qsizetype tagEnd(qsizetype from, bool* cut) const {
        const char* const data = b_->constData();
        const qsizetype size = b_->size();
        for (qsizetype i = from; i < size;) {
            i += static_cast<qsizetype>(std::strcspn(data + i, "<>\"'"));
            if (i >= size)
                break;
            if (data[i] == '<' || data[i] == '\0')
                return -1;
            if (data[i] == '>')
                return i;
            const char* close = static_cast<const char*>(
                std::memchr(data + i + 1, data[i], static_cast<size_t>(size - i - 1)));
            if (!close)
                break;
            i = close - data + 1;
        }
        *cut = true;
        return -1;
    }
    QByteArrayView name(qsizetype from) const {
        qsizetype i = from;
        while (i < b_->size() && !std::strchr(" \t\r\n/>", (*b_)[i]))
            ++i;
        return QByteArrayView(b_->constData() + from, i - from);
    }
    Step fail(const QString& what, qsizetype where) {
        error = what;
        errorLine = lineAt(where);
        return Step::Failed;
    }

    const QByteArray* b_ = nullptr;
    int depth_ = 0;
    bool rootClosed_ = false;
    int total_ = 0;
    qsizetype lines_ = 0; // lines before mark_, the windows dropped included
    qsizetype mark_ = 0;  // how far into the window lines are counted
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
    int fd = -1;
    struct stat st {};
    switch (openRegularFile(path, kMaxBytes, &fd, &st, &error)) {
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
    // A window of the file at a time, as far as the size it had when opened: the unscanned
    // rest of a window moves to its front and the next bytes are read after it. A window
    // grows only while one token is longer than it (and the file is bounded).
    constexpr qsizetype kWindow = 64 * 1024;
    MarkupScan scan;
    QByteArray window;
    window.reserve(kWindow);
    qsizetype base = 0; // the window's first byte in the file
    qint64 read = 0;
    bool atEnd = false;
    bool blank = true;
    while (!atEnd) {
        const qsizetype kept = window.size();
        const qsizetype room = kept < kWindow / 2 ? kWindow - kept : kept; // doubles
        const auto wanted = static_cast<qsizetype>(std::min<qint64>(room, st.st_size - read));
        window.resize(kept + wanted);
        const qsizetype got = readAt(fd, read, window.data() + kept, wanted);
        if (got < 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            *reason = tr("%1 could not be read: %2.").arg(path, error);
            return false;
        }
        window.truncate(kept + got);
        read += got;
        atEnd = got == 0 || read >= st.st_size;
        if (blank) {
            blank = std::all_of(window.cbegin() + kept, window.cend(), [](char c) {
                return c == ' ' || c == '\t' || c == '\r' || c == '\n';
            });
        }
        qsizetype from = 0;
        if (read == got) {
            // The first window: a byte order mark is stepped over, and the declaration, when
            // there is one, must announce the encoding the names are read in.
            from = window.startsWith("\xEF\xBB\xBF") ? 3 : 0;
            if (QByteArrayView(window).sliced(from).startsWith("<?xml")) {
                QXmlStreamReader r(window.left(window.indexOf("?>") + 2) + "<x/>");
                r.readNext();
                if (!r.hasError() && !r.documentEncoding().isEmpty() &&
                    r.documentEncoding().compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) !=
                        0) {
                    ::close(fd);
                    *reason = tr("%1 is not a valid place file (line %2: %3).")
                                  .arg(path)
                                  .arg(1)
                                  .arg(tr("it is not in UTF-8"));
                    return false;
                }
            }
        }
        qsizetype next = 0;
        if (scan.run(window, base, atEnd, from, &next) == MarkupScan::Step::Failed)
            break;
        scan.drop(next);
        window.remove(0, next);
        base += next;
    }
    ::close(fd);
    if (blank && scan.error.isEmpty()) {
        *reason = tr("%1 is empty.").arg(path);
        return false;
    }
    if (!scan.error.isEmpty() || !scan.finish()) {
        *reason = tr("%1 is not a valid place file (line %2: %3).")
                      .arg(path)
                      .arg(scan.errorLine)
                      .arg(scan.error);
        return false;
    }
    if (scan.found.isEmpty()) {
        *reason = tr("%1 holds no countries.").arg(path);
        return false;
    }
    countries_ = std::move(scan.found);
    path_ = path;
    version_ = {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    reason->clear();
    return true;
}

void PlaceFile::Close() {
    path_.clear();
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
    // The country's bytes, from the file as it was when opened.
    QString error;
    int fd = -1;
    struct stat st {};
    const Load load = openRegularFile(path_, kMaxBytes, &fd, &st, &error);
    QByteArray bytes;
    if (load == Load::Read) {
        if (Version{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec} ==
            version_) {
            bytes.resize(c.end - c.begin);
            bytes.truncate(std::max<qsizetype>(0, readAt(fd, c.begin, bytes.data(), bytes.size())));
        }
        ::close(fd);
    }
    if (bytes.isEmpty() || bytes.size() != c.end - c.begin) {
        if (problem)
            *problem = tr("%1 has changed since the dialog opened.").arg(path_);
        return out;
    }
    QXmlStreamReader r(bytes);
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
        const qsizetype line = c.line - 1 + r.lineNumber();
        *problem = tr("%1 is not a valid place file (line %2: %3).")
                       .arg(path_)
                       .arg(line)
                       .arg(r.errorString());
    }
    return out;
}
