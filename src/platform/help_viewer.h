#pragma once

#include <QString>

class QWidget;

namespace platform {

// The viewer of compiled HTML Help (.chm) files.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;

    // Opens the file's table of contents in a help window, owned by `owner` when one is given
    // (it then stays over that window) and free-standing otherwise. Returns the help window, or
    // null when the file cannot be opened; nothing is reported then.
    virtual QWidget* displayContents(const QString& chmPath, QWidget* owner) = 0;

    // The other ways into a help file. A viewer that has no such way opens the contents instead.
    enum class Command { Topic, ContextId, Index, Search, Keyword, ALink };
    virtual QWidget* display(const QString& chmPath, QWidget* owner, Command command, const QString& argument)
    {
        (void)command;
        (void)argument;
        return displayContents(chmPath, owner);
    }

    // The text of a pop-up topic kept in a text file inside the help file; empty when none.
    virtual QString popupText(const QString& chmPath, const QString& textFile, int topic)
    {
        (void)chmPath;
        (void)textFile;
        (void)topic;
        return {};
    }

    // Closes every help window the viewer opened.
    virtual void closeAll() {}
};

} // namespace platform
