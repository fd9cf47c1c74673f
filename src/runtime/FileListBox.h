#pragma once
// The hidden file list box: lists the names of a folder's files that match a pattern. It never
// shows itself; the program uses it to pick files from the user's folders.
#include <QString>
#include <QStringList>

class FileListBox {
public:
    // One pattern or several separated by ";" ("*.bmp;*.gif"), with the wildcards * and ?,
    // matched without regard to case. Setting it lists the current folder again.
    QString Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);

    // The folder listed. Setting a folder that does not exist (or cannot be read) fails: Err
    // holds "Path not found", the result is false and the previous folder and list stay.
    QString Path() const { return path_; }
    bool SetPath(const QString& path);

    // Lists the current folder again.
    void Refresh();

    // The names (without folder) of the matching files, sorted without regard to case and then
    // by exact name. Hidden files (names starting with ".") and folders are not listed.
    int ListCount() const { return static_cast<int>(names_.size()); }
    // The name at the 0-based position; "" (and Err "Invalid property array index") outside.
    QString List(int index) const;

private:
    QString pattern_ = QStringLiteral("*.*");
    QString path_;
    QStringList names_;
};
