#include "registry.h"

#include "filesync.h"
#include "paths.h"
#include "registry_hive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

QString RootKeyName(HKEY root) {
    switch (static_cast<DWORD>(root)) {
    case 0x80000000u:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001u:
        return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002u:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    default:
        return {};
    }
}

// ---- Exec= quoting of desktop entries ---------------------------------------------------------

QString QuoteExecArgument(const QString& path) {
    // Inside double quotes, ", `, $ and \ take a backslash; the string escape of the desktop
    // entry then doubles every backslash, and a literal % is written %%.
    QString quoted;
    for (QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

QString UnquoteExecArgument(const QString& exec) {
    QString s = exec.trimmed();
    s.replace(QStringLiteral("%%"), QStringLiteral("%"));
    // Undo the string escape first (\\ -> \), then the quoting rule.
    QString unescaped;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size() && s[i + 1] == u'\\') {
            unescaped += u'\\';
            ++i;
        } else {
            unescaped += s[i];
        }
    }
    if (unescaped.size() < 2 || !unescaped.startsWith(u'"'))
        return unescaped.section(u' ', 0, 0);
    QString out;
    for (int i = 1; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == u'\\' && i + 1 < unescaped.size()) {
            out += unescaped[++i];
        } else if (c == u'"') {
            break;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// ---- The text form of the store ----------------------------------------------------------------

// Keys and values in the order of the file, found by name through an index (registry_hive.h).
using Value = RegistryValue;
using Key = RegistryKey;
using Hive = RegistryHive;

QByteArray escapeText(const QByteArray& text) {
    QByteArray out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f)
                out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
            else
                out += ch;
        }
    }
    return out;
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
bool unescapeText(const QByteArray& line, int& pos, QByteArray* out) {
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    while (pos < line.size()) {
        // The plain run up to the next quote or backslash in one piece.
        int plain = pos;
        while (plain < line.size() && line[plain] != '"' && line[plain] != '\\')
            ++plain;
        out->append(line.constData() + pos, plain - pos);
        pos = plain;
        if (pos >= line.size())
            break;
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out->append(c);
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
        case '\\':
            out->append('\\');
            break;
        case '"':
            out->append('"');
            break;
        case 'n':
            out->append('\n');
            break;
        case 'r':
            out->append('\r');
            break;
        case 't':
            out->append('\t');
            break;
        case 'x': {
            if (pos + 2 > line.size())
                return false;
            bool ok = false;
            const int v = line.mid(pos, 2).toInt(&ok, 16);
            if (!ok)
                return false;
            out->append(static_cast<char>(v));
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool isPlainText(const QByteArray& data) {
    // A REG_SZ that is text plus one terminating NUL is written as a quoted text.
    if (data.isEmpty() || data.back() != '\0')
        return false;
    const QByteArray body = data.left(data.size() - 1);
    return !body.contains('\0') && QString::fromUtf8(body).toUtf8() == body;
}

QByteArray serialize(const Hive& hive) {
    // The second line changes with every write: with the file's identity it tells a reader
    // whether the copy it parsed before is still the file on disk.
    QByteArray out = "; Tallix Time settings. Edit only while the program is not running.\n; " +
                     QByteArray::number(QRandomGenerator::system()->generate64(), 16) + '\n';
    for (const auto& key : hive.keys()) {
        out += "\n[" + key.path().toUtf8() + "]\n";
        for (const auto& v : key.values()) {
            out += '"' + escapeText(v.name.toUtf8()) + "\"=";
            if (v.type == REG_SZ && isPlainText(v.data)) {
                out += '"' + escapeText(v.data.left(v.data.size() - 1)) + '"';
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                quint32 n;
                std::memcpy(&n, v.data.constData(), 4);
                out += "dword:" + QByteArray::number(n, 16).rightJustified(8, '0');
            } else {
                out += "hex(" + QByteArray::number(v.type) + "):" + v.data.toHex(',');
            }
            out += '\n';
        }
    }
    return out;
}

// The name of the value a line was about, when its opening quoted name can still be read and
// is one a message can show: valid UTF-8, printable, short. Anything else of a damaged line
// (stray bytes, control characters) is never shown to the user: the line's number is.
QString nameOfLine(const QByteArray& line) {
    constexpr qsizetype kLongestName = 64;
    int pos = 0;
    QByteArray name;
    if (!unescapeText(line, pos, &name) || name.isEmpty() || name.size() > kLongestName * 4)
        return {};
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() != name || text.size() > kLongestName)
        return {};
    for (const QChar c : text)
        if (!c.isPrint() || c == QChar::ReplacementCharacter || c.isSurrogate())
            return {};
    return text;
}

// Reads one value line; false when it does not read.
bool parseValue(const QByteArray& line, Value* v) {
    int pos = 0;
    QByteArray name;
    if (!unescapeText(line, pos, &name) || pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    v->name = QString::fromUtf8(name);
    if (pos < line.size() && line[pos] == '"') {
        QByteArray data;
        if (!unescapeText(line, pos, &data) || pos != line.size())
            return false;
        v->type = REG_SZ;
        data.append('\0');
        v->data = std::move(data);
    } else if (line.mid(pos).startsWith("dword:")) {
        bool ok = false;
        const QByteArray hex = line.mid(pos + 6);
        const quint32 n = hex.toUInt(&ok, 16);
        if (!ok || hex.size() != 8)
            return false;
        v->type = REG_DWORD;
        v->data = QByteArray(reinterpret_cast<const char*>(&n), 4);
    } else if (line.mid(pos).startsWith("hex(")) {
        const int close = line.indexOf("):", pos);
        if (close < 0)
            return false;
        bool ok = false;
        v->type = line.mid(pos + 4, close - pos - 4).toUInt(&ok);
        if (!ok)
            return false;
        const QByteArray hex = line.mid(close + 2);
        for (const QByteArray& byte : hex.split(',')) {
            if (byte.isEmpty() && hex.isEmpty())
                break;
            const int b = byte.toInt(&ok, 16);
            if (!ok || byte.size() != 2)
                return false;
            v->data.append(static_cast<char>(b));
        }
    } else {
        return false;
    }
    return true;
}

int gParseCount = 0;
int gOpenCount = 0;
int gReplaceCount = 0;

// The lines a parse left out: all of them counted, the first few described.
struct Losses {
    static constexpr qsizetype kNamed = 20;
    QStringList named;
    qsizetype count = 0;

    bool isEmpty() const { return count == 0; }
    void append(const QString& what) {
        if (named.size() < kNamed)
            named.append(what);
        ++count;
    }
};

// Reads every line that can be read. Each line that cannot (and each value under a key header
// that cannot) is left out and described in *bad: the value's name where it can be read, else
// its line number.
void parse(const QByteArray& text, Hive* hive, Losses* bad) {
    ++gParseCount;
    Key* current = nullptr;
    bool headerBad = false;
    int number = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        // The line's bytes where they are in the text (it outlives the line), trimmed.
        const QByteArray line =
            QByteArray::fromRawData(text.constData() + start, end - start).trimmed();
        start = end + 1;
        ++number;
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        const auto lost = [&] {
            const QString name = bad->named.size() < Losses::kNamed ? nameOfLine(line) : QString();
            bad->append(name.isEmpty() ? QStringLiteral("line %1").arg(number) : name);
        };
        if (line.startsWith('[')) {
            headerBad = !line.endsWith(']') || line.size() < 3;
            current = nullptr;
            if (headerBad) {
                bad->append(QStringLiteral("line %1").arg(number));
                continue;
            }
            // A key met again goes on where it was, under its first spelling.
            current = &hive->findOrAdd(QString::fromUtf8(line.mid(1, line.size() - 2)));
            continue;
        }
        Value v;
        if (!current || !parseValue(line, &v)) {
            lost();
            continue;
        }
        // A name met again keeps its first place and takes the later line's spelling and value.
        current->set(v, true);
    }
}

// ---- Locking and atomic replacement -----------------------------------------------------------

// The lock every writer of the store holds: a regular file beside it. Anything else found
// under its name (a named pipe, a device) is never opened to wait on: the lock then fails, and
// why() says what is there.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path).constData(),
                     O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
        struct stat st {};
        if (fd_ < 0) {
            why_ = QStringLiteral("%1 cannot be locked: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            why_ = NotRegularFileText(path, st.st_mode);
            ::close(fd_);
            fd_ = -1;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool ok() const { return fd_ >= 0; }
    // Why the lock could not be taken.
    const QString& why() const { return why_; }

private:
    int fd_ = -1;
    QString why_;
};

// Writes the whole file under a new name beside it (see CreateBeside: a planted name is never
// followed), flushes it to disk and renames it into place, so that readers and a crash see
// either the old file or the new one, with the old file's permissions. errno tells why it
// failed.
bool atomicWrite(const QString& path, const QByteArray& content) {
    QByteArray tmp;
    const int fd = CreateBeside(path, 0600, &tmp);
    if (fd < 0)
        return false;
    int failure = WriteSyncClose(fd, content);
    if (failure == 0 && ::rename(tmp.constData(), QFile::encodeName(path).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(tmp.constData());
        errno = failure;
        return false;
    }
    SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

// The file a path names once symbolic links are followed (the path itself when it is none);
// the target need not exist yet.
QString followLinks(const QString& path) {
    QString p = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(p);
        if (!info.isSymLink())
            return p;
        const QString target = QFile::symLinkTarget(p);
        if (target.isEmpty())
            return p;
        p = target;
    }
    return p;
}

QString stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

const QString kRunKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// "TallixTime" -> "tallix-time": the autostart file of a Run value.
QString autostartFileName(const QString& valueName) {
    QString out;
    for (int i = 0; i < valueName.size(); ++i) {
        const QChar c = valueName[i];
        if (c.isUpper() && i > 0 && valueName[i - 1].isLower())
            out += u'-';
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            out += c.toLower();
        else
            out += u'-';
    }
    return out + QStringLiteral(".desktop");
}

// What identifies one version of the file on disk: a new file (every write renames one into
// place) differs in inode, times or size, and in the line every write makes anew.
struct FileVersion {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    struct timespec mtime {};
    struct timespec ctime {};
    QByteArray head;

    bool operator==(const FileVersion& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
               ctime.tv_nsec == o.ctime.tv_nsec && head == o.head;
    }
};

constexpr qsizetype kHeadSize = 160;

// Tells whether a file in a folder may have changed since it was last asked, without opening
// the file: an inotify watch on the folder. Every way a new version arrives (a rename into
// place, a write, a removal, a change of mode) queues an event before the call that made it
// returns, so a writer that released the lock has always been seen. A watch that cannot be
// set, was set by the process this one was forked from, or lost its folder answers "changed".
class FolderWatch {
public:
    ~FolderWatch() { disarm(); }
    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool armed() const { return fd_ >= 0 && pid_ == ::getpid(); }

    // Watches the folder; true when the watch is in place (now or already).
    bool arm(const QString& folder, const QString& fileName) {
        if (armed())
            return true;
        disarm();
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0)
            return false;
        constexpr uint32_t kMask = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                                   IN_ONLYDIR;
        if (::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), kMask) < 0) {
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        pid_ = ::getpid();
        name_ = QFile::encodeName(fileName);
        return true;
    }

    void disarm() {
        // After a fork the descriptor is shared with the parent: closing ours leaves its own.
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    // Takes every event queued; true when one may concern the file (or the watch is gone).
    bool changed() {
        if (!armed())
            return true;
        bool changed = false;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
                if (e->mask &
                    (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
                    changed = true;
                    gone_ = gone_ || !(e->mask & IN_Q_OVERFLOW);
                } else if (e->len > 0 && name_ == e->name) {
                    changed = true;
                }
            }
        }
        if (gone_) {
            gone_ = false;
            disarm();
            return true;
        }
        return changed;
    }

private:
    int fd_ = -1;
    pid_t pid_ = 0;
    QByteArray name_;
    bool gone_ = false;
};

// ---- The file store ---------------------------------------------------------------------------

class FileRegistryStore final : public RegistryStore {
public:
    FileRegistryStore(QString dir, QString autostartDir)
        : dir_(std::move(dir)), autostart_(std::move(autostartDir)),
          file_(dir_ + QStringLiteral("/registry.conf")),
          lock_(dir_ + QStringLiteral("/registry.lock")) {}

    bool keyExists(const QString& key) override {
        if (isRunKey(key))
            return true;
        return current()->find(key) != nullptr;
    }

    LONG createKey(const QString& key, bool* created) override {
        *created = false;
        if (isRunKey(key))
            return ERROR_SUCCESS;
        if (keyExists(key))
            return ERROR_SUCCESS;
        return modify([&](Hive& h) {
            h.findOrAdd(key, created);
            return ERROR_SUCCESS;
        });
    }

    LONG queryValue(const QString& key, const QString& name, DWORD* type,
                    QByteArray* data) override {
        if (isRunKey(key))
            return queryRun(name, type, data);
        Key* k = current()->find(key);
        if (!k)
            return ERROR_FILE_NOT_FOUND;
        const Value* v = k->find(name);
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        *type = v->type;
        *data = v->data;
        return ERROR_SUCCESS;
    }

    LONG setValue(const QString& key, const QString& name, DWORD type,
                  const QByteArray& data) override {
        if (isRunKey(key))
            return setRun(name, type, data);
        return setValues(key, {RegistryWrite{name, type, data}});
    }

    LONG setValues(const QString& key, const std::vector<RegistryWrite>& values) override {
        if (isRunKey(key)) // autostart entries, one file each
            return RegistryStore::setValues(key, values);
        return modify([&](Hive& h) {
            Key& k = h.findOrAdd(key);
            for (const RegistryWrite& w : values)
                k.set(Value{w.name, w.type, w.data}); // a value there keeps its spelling
            return ERROR_SUCCESS;
        });
    }

    LONG deleteValue(const QString& key, const QString& name) override {
        if (isRunKey(key)) {
            const QString path = autostart_ + u'/' + autostartFileName(name);
            if (!QFileInfo::exists(path))
                return ERROR_FILE_NOT_FOUND;
            return QFile::remove(path) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
        return modify([&](Hive& h) -> LONG {
            Key* k = h.find(key);
            return k && k->remove(name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        });
    }

    QString backup(const QString& tag) override {
        if (!QDir().mkpath(dir_))
            return {};
        FileLock lock(lock_);
        if (!lock.ok())
            return {};
        QString why;
        const int fd = OpenRegularFile(file_, &why);
        return fd < 0 ? QString() : copyAside(tag, fd);
    }

    RegistryStoreTrouble trouble() override { return trouble_; }

private:
    static bool isRunKey(const QString& key) {
        return key.compare(kRunKey, Qt::CaseInsensitive) == 0;
    }

    enum class Read { Absent, Parsed, Unchanged, Failed, TooLarge };

    // Why a file was not read: "<size> than any settings file of this program (at most 4 MiB,
    // 4,194,304 bytes)". Sizes in bytes, exact: a file one byte over the bound is not rounded
    // down to it.
    static QString bytes(qint64 n) { return QLocale(QLocale::English).toString(n); }
    static QString tooLarge(const QString& size) {
        return QStringLiteral("%1 than any settings file of this program (at most %2 MiB, %3 "
                              "bytes)")
            .arg(size)
            .arg(kMaxRegistryFileSize / (1024 * 1024))
            .arg(bytes(kMaxRegistryFileSize));
    }

    // Opens the file (through a link) and reads it unless it is the version parsed before.
    // Only "no such file" counts as no store: a file that cannot be read is no empty store.
    // Only a regular file is opened (a named pipe would wait for a writer), and a file larger
    // than any store is not read at all.
    Read readFile(QByteArray* content, FileVersion* version, QString* why) {
        ++gOpenCount;
        struct stat st {};
        const int fd = OpenRegularFile(file_, why, &st);
        if (fd < 0)
            return why->isEmpty() ? Read::Absent : Read::Failed;
        if (st.st_size > kMaxRegistryFileSize) {
            ::close(fd);
            *why = tooLarge(QStringLiteral("it is %1 bytes, larger").arg(bytes(st.st_size)));
            return Read::TooLarge;
        }
        version->dev = st.st_dev;
        version->ino = st.st_ino;
        version->size = st.st_size;
        version->mtime = st.st_mtim;
        version->ctime = st.st_ctim;
        QByteArray head(kHeadSize, '\0');
        const ssize_t n = ::pread(fd, head.data(), kHeadSize, 0);
        head.truncate(n < 0 ? 0 : n);
        version->head = head;
        if (cacheValid_ && *version == cacheVersion_) {
            ::close(fd);
            return Read::Unchanged;
        }
        QFile f;
        if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            *why = QStringLiteral("%1 cannot be read").arg(file_);
            return Read::Failed;
        }
        // It may have grown since it was measured: no more than a store can hold is read.
        *content = f.read(kMaxRegistryFileSize + 1);
        if (content->size() > kMaxRegistryFileSize) {
            content->clear();
            *why = tooLarge(QStringLiteral("it is larger"));
            return Read::TooLarge;
        }
        if (f.error() != QFileDevice::NoError) {
            *why = QStringLiteral("%1 cannot be read: %2").arg(file_, f.errorString());
            return Read::Failed;
        }
        return Read::Parsed;
    }

    // True when the parsed copy is the file on disk, known without opening it: the folder's
    // watch saw no change since the copy was made. Never for a store that is a link (its
    // target's folder goes unwatched). Sets the watch when there is none, so that the read
    // which follows starts what it watches.
    bool watchSaysCurrent() {
        if (!watch_.armed()) {
            linked_ = isLink();
            if (!linked_)
                watch_.arm(dir_, QFileInfo(file_).fileName());
            return false;
        }
        if (watch_.changed()) {
            linked_ = isLink();
            return false;
        }
        return cacheValid_ && !linked_;
    }

    bool isLink() const {
        struct stat st {};
        return ::lstat(QFile::encodeName(file_).constData(), &st) == 0 && S_ISLNK(st.st_mode);
    }

    // From now on changes live in memory only: the file is left as it is.
    void keepInMemory(const Hive& base, const QString& why) {
        if (!memoryOnly_) {
            memoryOnly_ = true;
            memory_ = base;
            trouble_.unsaved = why;
            qWarning("tallix-time: settings cannot be saved: %s", qPrintable(why));
        }
    }

    // The store as it is now.
    Hive* current() {
        if (memoryOnly_)
            return &memory_;
        load(false);
        return memoryOnly_ ? &memory_ : &cache_;
    }

    // Brings cache_ up to date with the file. A file with lines that cannot be read keeps the
    // lines that can; a copy of it is put aside and the file rewritten without the bad lines.
    // A file that cannot be read at all, or a damaged file that cannot be copied aside, is
    // never written over: the store goes on in memory.
    void load(bool lockHeld) {
        // A reader takes the parsed copy while the watch has seen no change; a writer, under
        // the lock, always compares the file itself.
        if (watchSaysCurrent() && !lockHeld)
            return;
        QByteArray content;
        FileVersion version;
        QString why;
        switch (readFile(&content, &version, &why)) {
        case Read::Unchanged:
            return;
        case Read::Absent:
            cache_ = Hive{};
            cacheVersion_ = FileVersion{};
            cacheValid_ = true; // no file is a version too: the watch sees one arrive
            return;
        case Read::Failed:
            keepInMemory(cacheValid_ ? cache_ : Hive{}, why);
            cacheValid_ = false;
            return;
        case Read::TooLarge:
            putAsideUnread(lockHeld, why);
            return;
        case Read::Parsed:
            break;
        }
        Hive hive;
        Losses bad;
        parse(content, &hive, &bad);
        if (bad.isEmpty()) {
            cache_ = std::move(hive);
            cacheVersion_ = version;
            cacheValid_ = true;
            return;
        }
        if (!lockHeld) {
            // Look again under the lock: another process may be replacing it right now.
            FileLock lock(lock_);
            if (!lock.ok()) {
                keepInMemory(hive, lock.why());
                return;
            }
            cacheValid_ = false;
            load(true);
            return;
        }
        const QString aside = writeAside(QStringLiteral("damaged"), content);
        if (aside.isEmpty()) {
            keepInMemory(hive, QStringLiteral("%1 is damaged and no copy of it could be kept "
                                              "(%2)")
                                   .arg(file_, errorText(errno)));
            return;
        }
        trouble_.damagedCopy = aside;
        trouble_.lostValues << bad.named;
        trouble_.lostValues = trouble_.lostValues.mid(0, Losses::kNamed);
        trouble_.lostCount += bad.count;
        qWarning("tallix-time: %lld lines of the settings file %s could not be read and were "
                 "left out (%s%s); the file as it was is kept as %s.",
                 static_cast<long long>(bad.count), qPrintable(file_),
                 qPrintable(bad.named.join(QStringLiteral(", "))),
                 bad.count > bad.named.size() ? ", ..." : "", qPrintable(aside));
        cache_ = std::move(hive);
        cacheValid_ = false;
        write(cache_);
    }

    // A file far larger than any store: kept aside as it is, never parsed, and the store
    // starts empty (the program's defaults). Like every change, under the lock.
    void putAsideUnread(bool lockHeld, const QString& why) {
        if (!lockHeld) {
            FileLock lock(lock_);
            if (!lock.ok()) {
                keepInMemory(Hive{}, lock.why());
                return;
            }
            cacheValid_ = false;
            load(true);
            return;
        }
        const QString aside = moveAside(QStringLiteral("damaged"));
        if (aside.isEmpty()) {
            keepInMemory(Hive{}, QStringLiteral("%1 was not read (%2) and no copy of it could be "
                                                "kept (%3)")
                                     .arg(file_, why, errorText(errno)));
            return;
        }
        trouble_.damagedCopy = aside;
        trouble_.notRead = why;
        qWarning("tallix-time: the settings file %s was not read (%s); it is kept as %s.",
                 qPrintable(file_), qPrintable(why), qPrintable(aside));
        cache_ = Hive{};
        cacheValid_ = false;
        write(cache_);
    }

    // The name a copy of the store with that tag starts from: "registry.conf.<tag>-<stamp>".
    QString asideName(const QString& tag) const { return file_ + u'.' + tag + u'-' + stamp(); }

    // Writes the bytes as a new copy of the store; its path, or "" with errno set.
    QString writeAside(const QString& tag, const QByteArray& content) {
        const QString name = asideName(tag);
        QByteArray tmp;
        const int fd = CreateBeside(name, 0600, &tmp);
        if (fd < 0)
            return {};
        return placeAside(tmp, name, WriteSyncClose(fd, content));
    }

    // Renames the written temporary to a free name from name on; its path, or "" with errno
    // set (and the temporary gone) when writing it failed (failure) or the rename did.
    static QString placeAside(const QByteArray& tmp, const QString& name, int failure) {
        const QString placed = failure == 0 ? RenameToFreeName(tmp, name) : QString();
        const int error = failure != 0 ? failure : errno;
        if (placed.isEmpty()) {
            ::unlink(tmp.constData());
            errno = error;
        }
        return placed;
    }

    // Copies the file behind the descriptor as a new copy of the store, a piece at a time
    // (whatever its size, little memory); the copy's path, or "" with errno set. Closes fd.
    QString copyAside(const QString& tag, int fd) {
        const QString name = asideName(tag);
        QByteArray tmp;
        const int out = CreateBeside(name, 0600, &tmp);
        const int failure = out < 0 ? errno : CopySyncClose(fd, out);
        ::close(fd);
        if (out < 0) {
            errno = failure;
            return {};
        }
        return placeAside(tmp, name, failure);
    }

    // Puts the store itself aside, unread: a plain file is renamed (at once, whatever its
    // size), one behind a link is copied.
    QString moveAside(const QString& tag) {
        struct stat st {};
        if (::lstat(QFile::encodeName(file_).constData(), &st) == 0 && S_ISREG(st.st_mode))
            return RenameToFreeName(QFile::encodeName(file_), asideName(tag));
        QString why;
        const int fd = OpenRegularFile(file_, &why);
        return fd < 0 ? QString() : copyAside(tag, fd);
    }

    // Writes the hive as the store's file (through a link). False, with the store now in
    // memory, when the file cannot be written.
    bool write(const Hive& hive) {
        const QString target = followLinks(file_);
        struct stat st {};
        if (::stat(QFile::encodeName(target).constData(), &st) == 0 &&
            ((st.st_mode & 0222) == 0 ||
             ::access(QFile::encodeName(target).constData(), W_OK) != 0)) {
            keepInMemory(hive, QStringLiteral("%1 is read-only").arg(target));
            return false;
        }
        const QByteArray content = serialize(hive);
        if (!atomicWrite(target, content)) {
            keepInMemory(hive,
                         QStringLiteral("%1 cannot be written: %2").arg(target, errorText(errno)));
            return false;
        }
        ++gReplaceCount;
        // Under the lock the rename just seen is our own.
        watch_.changed();
        // What we wrote is what the file now holds: no need to read it back.
        FileVersion version;
        if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
            version.dev = st.st_dev;
            version.ino = st.st_ino;
            version.size = st.st_size;
            version.mtime = st.st_mtim;
            version.ctime = st.st_ctim;
            version.head = content.left(kHeadSize);
            cache_ = hive;
            cacheVersion_ = version;
            cacheValid_ = true;
        }
        return true;
    }

    template <typename Change> LONG modify(Change change) {
        if (!memoryOnly_) {
            if (!QDir().mkpath(dir_)) {
                keepInMemory(Hive{}, QStringLiteral("the folder %1 cannot be made").arg(dir_));
            } else {
                FileLock lock(lock_);
                if (!lock.ok()) {
                    load(false);
                    keepInMemory(cache_, lock.why());
                } else {
                    removeStaleTemporaries();
                    load(true);
                    if (!memoryOnly_) {
                        Hive hive = cache_;
                        const LONG rc = change(hive);
                        if (rc != ERROR_SUCCESS)
                            return rc;
                        // A change that cannot be written is kept in memory for the session;
                        // trouble() tells why, and the user hears it once.
                        write(hive);
                        return ERROR_SUCCESS;
                    }
                }
            }
        }
        return change(memory_);
    }

    // A process killed while writing leaves its new file behind, the store's or one of its
    // copies'. Every writer of these holds the lock, as this one does now: each such file
    // (and whatever else took such a name) is left over.
    void removeStaleTemporaries() {
        const QString name = QFileInfo(file_).fileName();
        const QStringList patterns{TemporaryPrefix(name) + u'*',
                                   TemporaryPrefix(name + QStringLiteral(".*")) + u'*'};
        const QDir dir(dir_);
        for (const QString& stale : dir.entryList(patterns, QDir::Files | QDir::System))
            ::unlink(QFile::encodeName(dir.filePath(stale)).constData());
    }

    LONG queryRun(const QString& name, DWORD* type, QByteArray* data) {
        // Only a regular file is an entry: a named pipe in its place is never waited on. An
        // entry is a few lines; no more than a settings file is read of it.
        QString why;
        QFile f;
        if (!OpenRegularFile(&f, autostart_ + u'/' + autostartFileName(name), &why)) {
            if (!why.isEmpty())
                qWarning("tallix-time: the autostart entry is left alone: %s", qPrintable(why));
            return ERROR_FILE_NOT_FOUND;
        }
        const QStringList lines = QString::fromUtf8(f.read(kMaxRegistryFileSize)).split(u'\n');
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("Exec="))) {
                *type = REG_SZ;
                *data = UnquoteExecArgument(line.mid(5)).toUtf8() + '\0';
                return ERROR_SUCCESS;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    }

    LONG setRun(const QString& name, DWORD type, const QByteArray& data) {
        if (type != REG_SZ || !QDir().mkpath(autostart_))
            return ERROR_ACCESS_DENIED;
        QByteArray path = data;
        while (path.endsWith('\0'))
            path.chop(1);
        // The entry's name is the value's name with its words spaced: "TallixTime" shows as
        // "Tallix Time" in the desktop's list of start-up programs.
        QString title;
        for (int i = 0; i < name.size(); ++i) {
            if (name[i].isUpper() && i > 0 && name[i - 1].isLower())
                title += u' ';
            title += name[i];
        }
        const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n"
                                             "Exec=%2\nTerminal=false\n"
                                             "X-GNOME-Autostart-enabled=true\n")
                                  .arg(title, QuoteExecArgument(QString::fromUtf8(path)));
        return atomicWrite(autostart_ + u'/' + autostartFileName(name), entry.toUtf8())
                   ? ERROR_SUCCESS
                   : ERROR_CANTWRITE;
    }

    QString dir_;
    QString autostart_;
    QString file_;
    QString lock_;

    Hive cache_; // the file as last read or written
    FileVersion cacheVersion_;
    bool cacheValid_ = false;
    FolderWatch watch_;
    bool linked_ = false;
    bool memoryOnly_ = false; // the file cannot be used: memory_ is the store until the end
    Hive memory_;
    RegistryStoreTrouble trouble_;
};

// ---- Open keys of this process ----------------------------------------------------------------

std::mutex gKeysMutex;
QHash<HKEY, QString> gOpenKeys;
HKEY gNextKey = 0x100;
RegistryStore* gInstalled = nullptr;
std::unique_ptr<RegistryStore> gFileStore;

// The full path of an open key or root joined with a sub-key; "" when hKey is unknown.
QString fullPath(HKEY hKey, const QString& subKey) {
    QString base = RootKeyName(hKey);
    if (base.isEmpty()) {
        std::lock_guard<std::mutex> g(gKeysMutex);
        base = gOpenKeys.value(hKey);
    }
    if (base.isEmpty())
        return {};
    QString sub = subKey;
    while (sub.startsWith(u'\\'))
        sub.remove(0, 1);
    while (sub.endsWith(u'\\'))
        sub.chop(1);
    return sub.isEmpty() ? base : base + u'\\' + sub;
}

HKEY openHandle(const QString& path) {
    std::lock_guard<std::mutex> g(gKeysMutex);
    const HKEY h = gNextKey++;
    gOpenKeys.insert(h, path);
    return h;
}

} // namespace

std::unique_ptr<RegistryStore> MakeFileRegistryStore(const QString& configDir,
                                                     const QString& autostartDir) {
    return std::make_unique<FileRegistryStore>(configDir, autostartDir);
}

RegistryStore& CurrentRegistryStore() {
    if (gInstalled)
        return *gInstalled;
    if (!gFileStore)
        gFileStore =
            MakeFileRegistryStore(ConfigDir(), ConfigHome() + QStringLiteral("/autostart"));
    return *gFileStore;
}

int RegistryParseCount() {
    return gParseCount;
}

int RegistryOpenCount() {
    return gOpenCount;
}

int RegistryReplaceCount() {
    return gReplaceCount;
}

void InstallRegistryStore(RegistryStore* store) {
    gInstalled = store;
    gFileStore.reset();
}

} // namespace platform

using platform::CurrentRegistryStore;

LONG RegCreateKeyExA(HKEY hKey, const QString& lpSubKey, DWORD, const QString&, DWORD, DWORD,
                     SECURITY_ATTRIBUTES*, HKEY* phkResult, DWORD* lpdwDisposition) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    const QString path = platform::fullPath(hKey, lpSubKey);
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    bool created = false;
    const LONG rc = CurrentRegistryStore().createKey(path, &created);
    if (rc != ERROR_SUCCESS)
        return rc;
    *phkResult = platform::openHandle(path);
    if (lpdwDisposition)
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY hKey, const QString& lpSubKey, DWORD, DWORD, HKEY* phkResult) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    const QString path = platform::fullPath(hKey, lpSubKey);
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    if (!CurrentRegistryStore().keyExists(path))
        return ERROR_FILE_NOT_FOUND;
    *phkResult = platform::openHandle(path);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, const QString& lpValueName, DWORD*, DWORD* lpType, void* lpData,
                      DWORD* lpcbData) {
    const QString path = platform::fullPath(hKey, QString());
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    DWORD type = REG_NONE;
    QByteArray data;
    const LONG rc = CurrentRegistryStore().queryValue(path, lpValueName, &type, &data);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType)
        *lpType = type;
    const auto size = static_cast<DWORD>(data.size());
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (!lpData) {
        *lpcbData = size;
        return ERROR_SUCCESS;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpData, data.constData(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, const QString& lpValueName, DWORD, DWORD dwType, const void* lpData,
                    DWORD cbData) {
    const QString path = platform::fullPath(hKey, QString());
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    if (!lpData && cbData)
        return ERROR_INVALID_PARAMETER;
    const QByteArray data =
        cbData ? QByteArray(static_cast<const char*>(lpData), static_cast<qsizetype>(cbData))
               : QByteArray();
    return CurrentRegistryStore().setValue(path, lpValueName, dwType, data);
}

LONG RegSetValuesA(HKEY hKey, const QString& lpSubKey,
                   const std::vector<platform::RegistryWrite>& values) {
    const QString path = platform::fullPath(hKey, lpSubKey);
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    return CurrentRegistryStore().setValues(path, values);
}

LONG RegDeleteValueA(HKEY hKey, const QString& lpValueName) {
    const QString path = platform::fullPath(hKey, QString());
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    return CurrentRegistryStore().deleteValue(path, lpValueName);
}

LONG RegCloseKey(HKEY hKey) {
    std::lock_guard<std::mutex> g(platform::gKeysMutex);
    return platform::gOpenKeys.remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
