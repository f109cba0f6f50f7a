#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString lockFileIn(const QString& dir) {
    return QDir(dir.isEmpty() ? SingleInstance::defaultDirectory() : dir).filePath("Jyx");
}
} // namespace

SingleInstance::SingleInstance(const QString& dir) : m_path(lockFileIn(dir)), m_lock(m_path) {
    // A lock is stale only when its owner is gone, never because of its age:
    // the program may run for days.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return m_lock.isLocked() || m_lock.tryLock(0);
}

QString SingleInstance::defaultDirectory() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    return dir;
}
