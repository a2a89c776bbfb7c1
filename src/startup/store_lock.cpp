#include "startup/store_lock.h"

#include "platform/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace startup {

StoreLock::StoreLock(const QString& storePath) : m_lock(std::make_unique<QLockFile>(lockPath(storePath)))
{
    const QString store = QDir::toNativeSeparators(storePath);
    const QString folder = QFileInfo(storePath).absolutePath();
    if (!platform::makePrivateFolder(folder)) {
        m_refusal = QStringLiteral("The folder of the store %1 cannot be made.").arg(store);
        return;
    }
    // A lock is never old enough to be taken from a program that still runs: only one whose
    // program is gone is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_held = true;
        QFile::setPermissions(lockPath(storePath), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        QString owner;
        if (m_lock->getLockInfo(&pid, &host, &application))
            owner = QStringLiteral(" (process %1)").arg(pid);
        m_refusal = QStringLiteral("The store %1 is already in use by another Point of Sale program%2. Only one program at a time "
                                   "can use a store: please go on in the one that is open. This one will now close.")
                        .arg(store, owner);
    } else {
        m_refusal = QStringLiteral("The store %1 cannot be locked for this program: its lock %2 cannot be written. The program will now "
                                   "close.")
                        .arg(store, QDir::toNativeSeparators(lockPath(storePath)));
    }
}

StoreLock::~StoreLock() = default;

QString StoreLock::lockPath(const QString& storePath)
{
    return storePath + QStringLiteral(".lock");
}

} // namespace startup
