#pragma once

#include "app/window.h"
#include "store/value.h"

#include <QStringView>

#include <optional>
#include <span>

class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class RecordSource;
}

namespace access_control {

// What sets one password gate apart from the others: its window, its texts, the area it opens
// and the usage codes that let an employee in.
struct GateDef {
    const char* name;                      // the gate's window name
    QStringView title;                     // the gate's window caption
    QStringView prompt;                    // the caption of the password box, Label1
    QStringView target;                    // the window of the area the gate opens
    std::span<const QStringView> accepted; // usage codes that open it, in upper case
    QStringView refusalTitle;
    QStringView refusalText;
};

// Who was let in: an employee (with the first name stored in the record) or the holder of the
// master password.
struct Entrant {
    bool master = false;
    store::Value firstName; // Nome of the employee's record; null for the master password
};

// A password gate: a small window between the main menu and one protected area. The password
// typed is looked up among the employee records; the first record whose password matches decides,
// by its usage code, whether the area opens. The master password opens every gate. A refused
// user may try again at once, any number of times.
//
// Each gate is its own window class (see gates.h); this class holds what they share.
class PasswordGate : public app::Window {
    Q_OBJECT
public:
    void load() override;
    // The close button does what Cancel does.
    void closeRequested() override;

    QLabel* Label1;
    QLineEdit* txtPass;
    QPushButton* cmdEnter;
    QPushButton* Command1;

    store::RecordSource* datPass; // Employees

protected:
    PasswordGate(app::Context& context, const GateDef& def);

    // The step a gate takes for the person let in before its area is shown. Store errors thrown
    // here end the attempt and take back what was written.
    virtual void admit(const Entrant& entrant);

private:
    void cmdEnter_Click();
    void Command1_Click();

    // True when the usage code, put in upper case, is one of the gate's accepted codes.
    bool accepts(const store::Value& usageCode) const;
    // The password check: who the typed password lets in, if anyone.
    std::optional<Entrant> check();
    // Opens the gate's area for the person let in, hides the main menu and closes the gate.
    void grant(const Entrant& entrant);
    // Tells the user the password does not open this gate, and readies the box for a new try.
    void refuse();

    const GateDef& m_def;
};

} // namespace access_control
