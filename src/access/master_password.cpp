#include "access/master_password.h"

#include <QChar>
#include <QList>

namespace access_control {

bool sameIgnoringCase(QStringView a, QStringView b)
{
    // Character by character, each to its own upper case: a character whose upper case is two
    // letters (as German sharp s is "SS") still counts as one character.
    const auto left = a.toUcs4();
    const auto right = b.toUcs4();
    if (left.size() != right.size())
        return false;
    for (qsizetype i = 0; i < left.size(); ++i) {
        if (QChar::toUpper(left.at(i)) != QChar::toUpper(right.at(i)))
            return false;
    }
    return true;
}

bool isMasterPassword(QStringView typed)
{
    return sameIgnoringCase(typed, kMasterPassword);
}

} // namespace access_control
