// What the hostile-input tests share: the texts they feed, the ways a text reaches a box, the
// store's rules they check after every command, and the tally of what was tried.
#pragma once

#include "support/test_context.h"

#include <QMap>
#include <QPointer>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace hostile {

// The kinds of box a text is fed to.
enum class BoxKind {
    Text,   // a free text box, or the editable text of a list
    Digits, // a digits-only box
    Answer, // the answer to an input box, given through the dialog double
};

// How a text reaches a box.
enum class Feed {
    Typed,  // key by key, as a person or a scanner types it
    Pasted, // put on the clipboard and pasted with Ctrl+V
    Set,    // put straight into the box, as assistive technology or a scanner's driver can
};
QString feedName(Feed how);

// The fixed table of texts every box of a kind is fed, in order: empty and blank texts, control
// characters, non-Latin letters, numbers past the 16-bit and currency ranges, signs, exponents,
// other locales' separators, very long texts, and the words the windows treat specially.
const QStringList& fixedTexts();

// A text drawn from the seeded generator: random mixes of the same ingredients.
QString randomText(QRandomGenerator& random);

// The run's seed (POS_FUZZ_SEED, else a fixed one) and its rounds (POS_FUZZ_ROUNDS, else 1). The
// first round feeds every box the fixed table and kRandomPerRound random texts; every further
// round kRandomPerRound more random texts.
quint32 seed();
int rounds();
// How many of a window's commands are pressed after each text: two drawn from the seed in the
// default run, every one when more rounds are asked for.
int commandsPerInput();
// How many findings a failure lists (POS_FUZZ_REPORT, else 15).
int reportLines();
inline constexpr int kRandomPerRound = 12;

// The texts one box is fed in this run, drawn from `random`.
QStringList textsForBox(QRandomGenerator& random);

// Puts `text` into `box` (a line edit, a combo box with an editable text, or a plain-text edit),
// emptied first, the way `how` says. Returns the text the box holds afterwards.
QString feed(QWidget* box, const QString& text, Feed how);

// A printable form of a text for failure reports: control characters and long runs shortened.
QString shown(const QString& text);

// A box a window showed, as a test expects it: the title as shown, and the start of its text.
struct KnownBox {
    QString title;
    QString textStart;
};

// What went against the rules, gathered over a whole run so that one report lists it all.
struct Findings {
    QStringList problems;
    void add(const QString& where, const QString& what);
    QString report(int first = 15) const;
};

// What SQLite's integrity check finds wrong with the store file (it covers the CHECK rules of
// every field too): one line a fault.
QStringList damage(store::Store& store);

// The store's rules after any command: a product in both of its tables or in neither, no stock
// below zero, no price of zero, one tax row at most, no count or money below zero on today's
// lines and totals, and no two employees with one social security number or one password. Each
// broken rule is one line.
QStringList brokenRules(store::Store& store);

// A single number the store answers for `sql`.
qint64 number(store::Store& store, const QString& sql);

// The count of every box fed, by window, box and kind: the run's report.
class Tally {
public:
    void tried(const QString& window, const QString& box, BoxKind kind, Feed how);
    void pressed(const QString& window) { ++m_commands[window]; }
    void print() const;

private:
    QMap<QString, QMap<QString, int>> m_inputs;
    QMap<QString, int> m_commands;
};
Tally& tally();

} // namespace hostile
