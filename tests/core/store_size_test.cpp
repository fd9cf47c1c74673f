// A settings file that is no store of ours: random bytes, or far larger than the program ever
// writes. A file past the size bound is put aside unread and the program starts on its
// defaults; any damaged file is told in a box of normal size that shows no byte of the file.
#include "core/settings.h"
#include "platform/registry.h"
#include "runtime/Interaction.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// A store as the program writes it, with one value that makes it that large.
QByteArray paddedStore(qsizetype size) {
    QByteArray text = "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"CityName\"=\"Dearborn\"\n"
                      "\"Padding\"=\"";
    text += QByteArray(size - text.size() - 2, 'x');
    return text + "\"\n";
}

struct FileCase {
    const char* name;
    QByteArray content;
    bool unread;         // put aside without being parsed
    bool linked = false; // the store is a link to the file
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

// What a message may show: text a person can read, nothing of raw bytes.
::testing::AssertionResult readable(const QString& text) {
    for (const QChar c : text)
        if ((c.category() == QChar::Other_Control && c != u'\n') || c.isSurrogate() ||
            c == QChar::ReplacementCharacter || c.category() == QChar::Other_PrivateUse ||
            c.category() == QChar::Other_NotAssigned)
            return ::testing::AssertionFailure()
                   << "U+" << QString::number(c.unicode(), 16).toStdString()
                   << " in: " << text.toStdString();
    return ::testing::AssertionSuccess();
}

class SettingsFile : public ::testing::TestWithParam<FileCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        platform::InstallRegistryStore(nullptr);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QDir().mkpath(folder());
    }
    void TearDown() override {
        runtime::SetMsgBoxAnswerer(nullptr);
        platform::InstallRegistryStore(nullptr);
    }
    QString folder() const { return dir.path() + QStringLiteral("/tallix-time"); }
    QString file() const { return folder() + QStringLiteral("/registry.conf"); }
    QString target() const { return dir.path() + QStringLiteral("/elsewhere/my-settings.conf"); }
    void write(const QByteArray& content, bool linked = false) const {
        if (linked) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(target()).absolutePath()));
            ASSERT_TRUE(QFile::link(target(), file()));
        }
        QFile f(linked ? target() : file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(content), content.size());
    }

    QTemporaryDir dir;
};

// The program starts on its defaults, the file as it was is kept beside it, and one message
// tells it: a few names or line numbers at most, then how many more, and no byte of the file.
TEST_P(SettingsFile, IsKeptAsideAndToldInAFewReadableLines) {
    const FileCase& c = GetParam();
    write(c.content, c.linked);
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        shown << prompt;
        return vbOK;
    });
    gCityName.clear();
    const int parsedBefore = platform::RegistryParseCount();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(gCityName, QStringLiteral("Makkah")) << "the defaults";
    if (c.unread) {
        EXPECT_EQ(platform::RegistryParseCount(), parsedBefore) << "the file was parsed";
    }
    const QStringList copies =
        QDir(folder()).entryList({QStringLiteral("registry.conf.damaged-*")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    QFile copy(folder() + u'/' + copies[0]);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copy.readAll() == c.content) << "the copy is not the file as it was";
    EXPECT_LT(QFileInfo(file()).size(), 64 * 1024) << "the store was not written anew";
    EXPECT_EQ(QFileInfo(file()).isSymLink(), c.linked);

    ASSERT_EQ(shown.size(), 1);
    const QString& text = shown[0];
    EXPECT_TRUE(readable(text));
    EXPECT_TRUE(text.contains(copies[0])) << qPrintable(text);
    EXPECT_LE(text.count(QRegularExpression(QStringLiteral("line \\d+"))), 5) << qPrintable(text);
    if (!c.unread) {
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral(" and \\d+ more\\n"))))
            << qPrintable(text);
    }
    EXPECT_LT(text.size(), 600) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsFile,
    ::testing::Values(FileCase{"RandomBytesUnderTheBound", randomBytes(1 << 20, 7), false},
                      FileCase{"RandomBytesOverTheBound",
                               randomBytes(platform::kMaxRegistryFileSize + 4, 9), true},
                      FileCase{"AStoreOverTheBound",
                               paddedStore(platform::kMaxRegistryFileSize + 1), true},
                      FileCase{"AStoreOverTheBoundBehindALink",
                               paddedStore(platform::kMaxRegistryFileSize + 1), true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A file too large to be read is told with its size and the bound in the README's unit, to
// the byte: one byte over the bound is not rounded down to it.
TEST_F(SettingsFile, TheSizeOfAFileTooLargeIsToldInOneUnit) {
    const struct {
        qsizetype size;
        const char* said;
    } cases[] = {{platform::kMaxRegistryFileSize + 1, "it is 4,194,305 bytes, larger"},
                 {5217978, "it is 5,217,978 bytes, larger"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        write(paddedStore(c.size));
        platform::InstallRegistryStore(nullptr); // a new start
        QStringList shown;
        runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
            shown << prompt;
            return vbOK;
        });
        ASSERT_TRUE(LoadSettings());
        ASSERT_EQ(shown.size(), 1);
        const QString& text = shown[0];
        EXPECT_TRUE(text.contains(QLatin1String(c.said) +
                                  QLatin1String(" than any settings file of this program (at "
                                                "most 4 MiB, 4,194,304 bytes)")))
            << qPrintable(text);
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\bMB\\b"))))
            << qPrintable(text);
    }
}

// The boxes a damaged file and a file too large to read bring, as the user sees them
// (offscreen), saved as build/screenshots/settings-<name>.png: each fits a small screen.
TEST_F(SettingsFile, TheBoxesFitTheScreen) {
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {{"damaged-file", randomBytes(1 << 20, 11)},
                 {"file-not-read", randomBytes(platform::kMaxRegistryFileSize + 4, 13)}};
    QDir().mkpath(QStringLiteral(TALLIX_BUILD_DIR "/screenshots"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.content);
        platform::InstallRegistryStore(nullptr); // a new start
        const QString png =
            QStringLiteral(TALLIX_BUILD_DIR "/screenshots/settings-%1.png").arg(c.name);
        QFile::remove(png);
        QSize size;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || size.isValid())
                return;
            size = box->frameGeometry().size();
            EXPECT_TRUE(box->grab().save(png));
            box->accept();
        });
        timer.start(50);
        ASSERT_TRUE(LoadSettings());
        ASSERT_TRUE(size.isValid()) << "no box was shown";
        EXPECT_LE(size.width(), 800);
        EXPECT_LE(size.height(), 600);
    }
}

} // namespace
