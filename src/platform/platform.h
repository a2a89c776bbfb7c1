#pragma once

#include "platform/drives.h"

namespace platform {

// What the operating system gives the program, gathered so that tests can stand in for any of it.
// Later services (drive types, display modes, the registry, shell open, printing) join here.
class Platform {
public:
    explicit Platform(Drives drives) : m_drives(std::move(drives)) {}
    virtual ~Platform() = default;

    Drives& drives() { return m_drives; }
    const Drives& drives() const { return m_drives; }

private:
    Drives m_drives;
};

} // namespace platform
