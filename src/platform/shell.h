#pragma once

#include <QUrl>

namespace platform {

// Opens documents and addresses in the programs the user chose for them: a web page in the
// default browser, a mailto: address in the default e-mail program.
class Shell {
public:
    virtual ~Shell() = default;

    // False when no program could be started for the address.
    virtual bool open(const QUrl& url) = 0;
};

// The desktop's own handlers, through QDesktopServices.
class DesktopShell final : public Shell {
public:
    bool open(const QUrl& url) override;
};

} // namespace platform
