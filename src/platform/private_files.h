#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace platform {

// Files and folders the program makes hold what the store's staff keep to themselves (passwords,
// the day's takings, receipts): they are made readable and writable by their owner only, files
// 0600 and folders 0700 on Linux. What already exists keeps the mode its owner gave it. Only Qt
// Core is needed, so the store uses these too.

// Makes the folder and any missing folders above it. False when one cannot be made.
inline bool makePrivateFolder(const QString& path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(absolute).isDir())
        return true;
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute && !makePrivateFolder(parent))
        return false;
    // Another program may make the same folder meanwhile: then it is there all the same.
    return QDir().mkdir(absolute, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) || QFileInfo(absolute).isDir();
}

// Makes a new, empty file. False when it cannot be made or already exists.
inline bool makePrivateFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace platform
