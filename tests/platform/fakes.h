#pragma once

#include "platform/display_settings.h"
#include "platform/shell.h"

#include <QList>
#include <QUrl>

#include <utility>
#include <vector>

namespace testing {

// A display with the modes a test gives it, answering every apply() with a result the test sets,
// and remembering what was applied.
class FakeDisplaySettings final : public platform::DisplaySettings {
public:
    struct Applied {
        platform::DisplayMode mode;
        bool makeDefault = false;
    };

    explicit FakeDisplaySettings(std::vector<platform::DisplayMode> modes = {}, int result = kChanged)
        : modes(std::move(modes)), result(result)
    {
    }

    std::optional<platform::DisplayMode> mode(int index) const override
    {
        if (index < 0 || std::size_t(index) >= modes.size())
            return std::nullopt;
        return modes[std::size_t(index)];
    }

    int apply(const platform::DisplayMode& mode, bool makeDefault) override
    {
        applied.push_back({mode, makeDefault});
        return result;
    }

    std::vector<platform::DisplayMode> modes;
    int result;
    std::vector<Applied> applied;
};

// A shell that remembers the addresses it was asked to open and answers with a result the test
// sets.
class FakeShell final : public platform::Shell {
public:
    explicit FakeShell(bool result = true) : result(result) {}

    bool open(const QUrl& url) override
    {
        opened.append(url);
        return result;
    }

    bool result;
    QList<QUrl> opened;
};

} // namespace testing
