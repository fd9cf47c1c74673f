#pragma once
// A real print server for tests: cupsd with its configuration, spool, logs and socket in a
// folder of the test's, reached through CUPS_SERVER, with queues that write each job into a
// file. cupsd and every tool run here start in a session of their own, whose whole process
// group is ended when the server object goes.
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cups/cups.h>
#include <mutex>
#include <thread>
#include <vector>

class CupsServer {
public:
    // Nothing starts yet; CUPS_SERVER points at the folder's socket from now on.
    explicit CupsServer(const QString& folder);
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Starts cupsd and waits until it answers; false with the reason (a missing Debian package
    // is named) when it does not.
    bool Start(QString* why);
    // The server goes away: its process group is ended.
    void Stop();
    // The server stops answering, as a hung or overloaded one does (its process group is
    // stopped with SIGSTOP), until Resume (SIGCONT). Safe to call from any thread.
    void Pause();
    void Resume();
    // A PDF queue whose jobs are written into outputFile ("file:" device), described by the
    // PPD file given, else by cups-filters' generic PDF printer.
    bool AddQueue(const QString& name, const QString& outputFile, QString* why,
                  const QString& ppd = QString());
    // Starts the server with PDF queues named as given, each writing its jobs into
    // FOLDER/out/NAME, the first the server's default; false with the reason when it cannot.
    bool StartWithQueues(const QStringList& queues, QString* why);
    // Runs a CUPS tool (cupsreject, cupsdisable, ...) against this server; its exit code.
    int Run(const QString& tool, const QStringList& arguments, QString* output = nullptr);

    // The queue's jobs in every state, oldest first.
    struct Job {
        int id;
        QString title;
        ipp_jstate_t state;
    };
    std::vector<Job> Jobs(const QString& queue);
    // A job's attributes as the server keeps them (Get-Job-Attributes), each as text (values
    // of a list joined with ","); empty when the server does not answer.
    QMap<QByteArray, QString> JobAttributes(int id);
    // The operations of the requests the server has handled, oldest first ("Create-Job",
    // "Send-Document", ...), as its access log lists them.
    QStringList Operations() const;

    QString socket() const { return socket_; }

private:
    QString folder_;
    QString socket_;
    QProcess cupsd_;
    qint64 group_ = 0;
};

// Resumes the server when a test has not within 45 s: a print that holds the program on a
// paused server is let go, so the test ends (and fails on what it saw) instead of hanging.
class Rescue {
public:
    explicit Rescue(CupsServer& server);
    ~Rescue();
    Rescue(const Rescue&) = delete;
    Rescue& operator=(const Rescue&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool over_ = false;
    std::thread thread_;
};
