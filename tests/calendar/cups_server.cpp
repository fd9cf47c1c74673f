#include "cups_server.h"

#include "fakes/child_process.h"
#include "fakes/wait_for.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The Debian package of each program the tests run.
QString packageOf(const QString& program) {
    return program == QLatin1String("cupsd") ? QStringLiteral("cups-daemon (from cups)")
                                             : QStringLiteral("cups-client");
}

QString findProgram(const QString& name) {
    return QStandardPaths::findExecutable(name,
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                           QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

// Its own session and process group, which ends with the test (or with the test program,
// should that end first).
void ownSession(QProcess& p) {
    StartInOwnSession(p);
}

void endGroup(QProcess& p) {
    EndSession(p, 10000);
}

constexpr const char* kPdfPrinter = "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd";

} // namespace

CupsServer::CupsServer(const QString& folder)
    : folder_(folder), socket_(folder + QStringLiteral("/cups.sock")) {
    qputenv("CUPS_SERVER", QFile::encodeName(socket_));
    cupsSetServer(nullptr); // libcups reads the variable again
}

CupsServer::~CupsServer() {
    Stop();
    cupsSetServer(nullptr);
}

bool CupsServer::Start(QString* why) {
    const QString cupsd = findProgram(QStringLiteral("cupsd"));
    if (cupsd.isEmpty()) {
        *why = QStringLiteral("cupsd is not installed: install the Debian package ") +
               packageOf(QStringLiteral("cupsd"));
        return false;
    }
    QDir dir(folder_);
    for (const char* sub : {"spool", "cache", "state", "log", "out"})
        dir.mkpath(QLatin1String(sub));
    // Run as root, cupsd runs filters as its user "lp": they must reach the spool files, and
    // the queues' output folder takes their files.
    QFile::setPermissions(folder_, QFile::permissions(folder_) | QFileDevice::ExeOther |
                                       QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                       QFileDevice::ReadGroup);
    QFile::setPermissions(dir.filePath(QStringLiteral("out")),
                          QFileDevice::Permissions(0x7777)); // rwx for all
    const QString f = folder_;
    QFile conf(dir.filePath(QStringLiteral("cupsd.conf")));
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    conf.write(QStringLiteral("Listen %1\n"
                              "LogLevel info\n"
                              "AccessLogLevel all\n"
                              "WebInterface No\n"
                              "Browsing No\n"
                              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                              "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                              "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                              "  </Limit>\n</Policy>\n")
                   .arg(socket_)
                   .toUtf8());
    conf.close();
    QFile files(dir.filePath(QStringLiteral("cups-files.conf")));
    if (!files.open(QIODevice::WriteOnly))
        return false;
    files.write(QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                               "StateDir %1/state\nTempDir %1/spool\nAccessLog %1/log/access_log\n"
                               "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n"
                               "Printcap %1/printcap\nFileDevice Yes\n")
                    .arg(f)
                    .toUtf8());
    files.close();
    ownSession(cupsd_);
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), conf.fileName(),
                         QStringLiteral("-s"), files.fileName()});
    if (!cupsd_.waitForStarted(10000)) {
        *why = QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
        return false;
    }
    group_ = cupsd_.processId(); // the leader of its own session and group
    const bool answers = WaitFor(
        [this] {
            if (cupsd_.state() == QProcess::NotRunning)
                return true;
            QLocalSocket probe;
            probe.connectToServer(socket_);
            return probe.waitForConnected(200);
        },
        30000);
    if (!answers || cupsd_.state() == QProcess::NotRunning) {
        QFile log(dir.filePath(QStringLiteral("log/error_log")));
        (void)log.open(QIODevice::ReadOnly);
        *why = QStringLiteral("cupsd does not answer on %1:\n%2\n%3")
                   .arg(socket_, QString::fromLocal8Bit(cupsd_.readAll()),
                        QString::fromLocal8Bit(log.readAll()));
        return false;
    }
    return true;
}

void CupsServer::Stop() {
    Resume(); // a stopped group would not end on SIGTERM
    group_ = 0;
    endGroup(cupsd_);
}

void CupsServer::Pause() {
    if (group_ > 0)
        ::kill(pid_t(-group_), SIGSTOP);
}

void CupsServer::Resume() {
    if (group_ > 0)
        ::kill(pid_t(-group_), SIGCONT);
}

int CupsServer::Run(const QString& tool, const QStringList& arguments, QString* output) {
    const QString program = findProgram(tool);
    if (program.isEmpty()) {
        if (output)
            *output = tool + QStringLiteral(" is not installed: install the Debian package ") +
                      packageOf(tool);
        return -1;
    }
    QProcess p;
    ownSession(p);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, QStringList{QStringLiteral("-h"), socket_} + arguments);
    const bool done = p.waitForStarted(10000) && p.waitForFinished(60000);
    if (!done)
        endGroup(p);
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool CupsServer::StartWithQueues(const QStringList& queues, QString* why) {
    if (!Start(why))
        return false;
    for (const QString& queue : queues)
        if (!AddQueue(queue, folder_ + QStringLiteral("/out/") + queue, why))
            return false;
    if (!queues.isEmpty() && Run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queues.first()}) != 0) {
        *why = QStringLiteral("lpadmin -d %1 failed").arg(queues.first());
        return false;
    }
    return true;
}

bool CupsServer::AddQueue(const QString& name, const QString& outputFile, QString* why,
                          const QString& ppd) {
    if (ppd.isEmpty() && !QFile::exists(QLatin1String(kPdfPrinter))) {
        *why = QStringLiteral("%1 is missing: install the Debian package cups-filters")
                   .arg(QLatin1String(kPdfPrinter));
        return false;
    }
    QString out;
    if (Run(QStringLiteral("lpadmin"),
            {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
             QStringLiteral("file://") + outputFile, QStringLiteral("-P"),
             ppd.isEmpty() ? QLatin1String(kPdfPrinter) : ppd},
            &out) != 0) {
        *why = QStringLiteral("lpadmin could not add the queue: ") + out;
        return false;
    }
    return true;
}

std::vector<CupsServer::Job> CupsServer::Jobs(const QString& queue) {
    std::vector<Job> out;
    cups_job_t* jobs = nullptr;
    const int n =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i)
        out.push_back(Job{jobs[i].id, QString::fromUtf8(jobs[i].title), jobs[i].state});
    cupsFreeJobs(n, jobs);
    std::sort(out.begin(), out.end(), [](const Job& a, const Job& b) { return a.id < b.id; });
    return out;
}

QStringList CupsServer::Operations() const {
    // localhost - root [11/Dec/2026:16:30:00 +0000] "POST / HTTP/1.1" 200 345 Create-Job
    // successful-ok: the operation is the line's last word but one.
    QStringList out;
    QFile log(folder_ + QStringLiteral("/log/access_log"));
    if (!log.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() >= 2 && line.contains("\"POST "))
            out << QString::fromUtf8(words.at(words.size() - 2));
    }
    return out;
}

QMap<QByteArray, QString> CupsServer::JobAttributes(int id) {
    QMap<QByteArray, QString> out;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/jobs/%d", id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "all");
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    for (ipp_attribute_t* a = response ? ippFirstAttribute(response) : nullptr; a;
         a = ippNextAttribute(response)) {
        if (!ippGetName(a))
            continue;
        char value[1024];
        ippAttributeString(a, value, sizeof value);
        out.insert(ippGetName(a), QString::fromUtf8(value));
    }
    ippDelete(response);
    return out;
}

Rescue::Rescue(CupsServer& server)
    : thread_([this, &server] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(45), [this] { return over_; }))
              server.Resume();
      }) {}

Rescue::~Rescue() {
    {
        std::lock_guard lock(mutex_);
        over_ = true;
    }
    done_.notify_all();
    thread_.join();
}
