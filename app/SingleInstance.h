// One running copy per user: an exclusive lock on a file named "Jyx" in the
// user's runtime directory. The lock is held for the life of the object (the
// life of the process); a lock left by a process that died is taken over.
#pragma once

#include <QLockFile>
#include <QString>

class SingleInstance {
public:
    // The lock file lies in `dir`; empty means the runtime directory of the
    // user (QStandardPaths::RuntimeLocation), or the temporary folder.
    explicit SingleInstance(const QString& dir = QString());

    // True when this process now holds the lock, false when another copy does.
    bool acquire();
    QString lockPath() const { return m_path; }

    static QString defaultDirectory();

private:
    QString m_path;
    QLockFile m_lock;
};
