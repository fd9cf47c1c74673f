// What the built program links: the Qt modules it uses, and no other (Qt XML went with the DOM
// reader the place file no longer needs; Qt Print Support with Qt's printer and print dialog,
// which ask the print server on the window's thread). The linker drops an unused library from
// the program's needs by itself, so the link line of the build is read as well.
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The libraries an ELF file names as needed, as readelf lists them.
QStringList neededLibraries(const QString& file) {
    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    if (readelf.isEmpty()) {
        ADD_FAILURE() << "readelf is missing: install the Debian package binutils";
        return {};
    }
    QProcess p;
    p.start(readelf, {QStringLiteral("-d"), file});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << "readelf -d " << file.toStdString() << " failed";
        return {};
    }
    QStringList needed;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const int open = line.indexOf("Shared library: [");
        if (open >= 0)
            needed << QString::fromUtf8(line.mid(open + 17).chopped(1));
    }
    return needed;
}

TEST(LinkedLibraries, TheProgramLoadsNoQtModuleItDoesNotUse) {
    const QStringList needed = neededLibraries(QStringLiteral(TALLIX_BUILD_DIR "/tallix-time"));
    ASSERT_FALSE(needed.isEmpty());
    EXPECT_TRUE(needed.contains(QStringLiteral("libQt6Widgets.so.6")))
        << needed.join(' ').toStdString();
    for (const QString& lib : needed) {
        EXPECT_FALSE(lib.startsWith(QStringLiteral("libQt6Xml"))) << lib.toStdString();
        EXPECT_FALSE(lib.startsWith(QStringLiteral("libQt6PrintSupport"))) << lib.toStdString();
    }

    QFile link(QStringLiteral(TALLIX_BUILD_DIR "/src/CMakeFiles/tallix-time.dir/link.txt"));
    ASSERT_TRUE(link.open(QIODevice::ReadOnly)) << link.fileName().toStdString();
    const QByteArray line = link.readAll();
    EXPECT_TRUE(line.contains("libQt6Widgets")) << line.toStdString();
    EXPECT_FALSE(line.contains("libQt6Xml")) << line.toStdString();
    EXPECT_FALSE(line.contains("libQt6PrintSupport")) << line.toStdString();
}

} // namespace
