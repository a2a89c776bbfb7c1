#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace startup {

// Keeps a second start of the program off a store that a running program uses. The lock is a
// file beside the store (the store's file name followed by ".lock"), its owner's alone like the
// store, holding the running program's process number; it is taken before the store is opened
// and let go when the program ends. A lock whose program no longer runs (killed, or the
// computer stopped) is taken over. A program that is refused has not touched the store.
class StoreLock {
public:
    explicit StoreLock(const QString& storePath);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // True when this program holds the store.
    bool isHeld() const { return m_held; }
    // When not held: why, in words for the staff, naming the store.
    const QString& refusal() const { return m_refusal; }

    static QString lockPath(const QString& storePath);

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
    QString m_refusal;
};

} // namespace startup
