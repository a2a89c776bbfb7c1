#pragma once

#include <QSize>
#include <QString>
#include <QStringView>

namespace ui {

// The title every box of the program shows when its caller gives none.
inline constexpr QStringView kApplicationTitle = u"Point of Sale";

// The title a box shows for the title its caller gave: an empty title is the program's title.
inline QString shownTitle(const QString& title)
{
    return title.isEmpty() ? kApplicationTitle.toString() : title;
}

enum class Icon { None, Warning, Question, Critical, Information };
enum class Buttons { Ok, YesNo };
enum class Button { Ok, Yes, No };

// What every screen needs from the desktop: message and input boxes, the busy pointer, the
// screen's size, per-user settings and ending the program. Screens get it through the
// application context; tests give them a scripted stand-in.
class Services {
public:
    virtual ~Services() = default;

    // A modal message box; returns the button the user chose. Closing a Yes/No box any other
    // way answers No.
    virtual Button message(const QString& text, const QString& title, Icon icon, Buttons buttons) = 0;

    // A modal input box; returns the typed text, or the empty text when the user cancels.
    virtual QString input(const QString& prompt, const QString& title, const QString& defaultText = {}) = 0;

    // The busy pointer over the whole screen while true; the normal pointer when false.
    virtual void setBusy(bool busy) = 0;

    // The primary screen's size in logical units, in which windows are placed.
    virtual QSize screenSize() const = 0;
    // Device pixels per logical unit on the primary screen: 1 unless the desktop is scaled.
    virtual qreal screenScale() const = 0;
    // The primary screen's size in device pixels, as the display mode gives it.
    virtual QSize screenPixels() const = 0;

    // Per-user settings, kept by program name, section and key.
    virtual QString setting(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const = 0;
    virtual void saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;

    // Ends the program at once: every window goes away and the event loop stops. The caller
    // returns right after.
    virtual void end() = 0;
};

} // namespace ui
