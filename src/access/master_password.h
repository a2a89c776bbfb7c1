#pragma once

#include <QStringView>

namespace access_control {

// The password built into the program. It opens every password gate whatever the employee
// records say, and guards the replication screen's two operations. No screen can change it and
// it is not kept in the store.
inline constexpr QStringView kMasterPassword = u"plinth";

// True when the two texts are the same once each character is put in upper case: letter case is
// ignored and nothing else (a blank more or less makes them differ).
bool sameIgnoringCase(QStringView a, QStringView b);

// True when the typed text is the master password, in any mix of upper and lower case.
bool isMasterPassword(QStringView typed);

} // namespace access_control
