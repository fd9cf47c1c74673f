#pragma once
// Shell actions for tests: answers folder dialogs as told, finds only the programs it is given
// and records what was opened or started. Constructing one installs it.
#include "platform/shell.h"

#include <QMap>
#include <QVector>

class FakeShell : public platform::ShellBackend {
public:
    FakeShell() { platform::InstallShellBackend(this); }
    ~FakeShell() override { platform::InstallShellBackend(nullptr); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    struct Started {
        QString program;
        QStringList arguments;
    };

    // The folder the next dialogs answer; a null QString cancels them.
    QString chosenFolder;
    QVector<QString> dialogTitles;
    QVector<HWND> dialogOwners;
    // Programs "in PATH": name -> full path.
    QMap<QString, QString> programs;
    // Programs whose start fails.
    QStringList failingPrograms;
    QString desktop;
    bool openSucceeds = true;
    QVector<QUrl> opened;
    QVector<Started> started;

    QString browseForFolder(HWND owner, const QString& title) override {
        dialogOwners.append(owner);
        dialogTitles.append(title);
        return chosenFolder;
    }
    bool openUrl(const QUrl& url) override {
        opened.append(url);
        return openSucceeds;
    }
    QString findExecutable(const QString& name) override { return programs.value(name); }
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString&) override {
        started.append(Started{program, arguments});
        return !failingPrograms.contains(program);
    }
    QString currentDesktop() override { return desktop; }
};
