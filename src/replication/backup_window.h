#pragma once

#include "app/window.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace help {
class HTMLHelp;
}
namespace store {
class RecordSource;
class ReplicaDatabase;
}

namespace replication {

// frmBackup: keeps a copy of the store on the second hard disk, drive D. Three operations, used
// in this order: MAKE DB REPLICABLE puts the copy kept in the Mercavia folder in place of the
// store and marks it replicable; REPLICATE DATABASE makes the replica on drive D; SYNCHRONIZE
// DATABASE exchanges the changes of the two both ways. All three need drive D to be a fixed disk,
// and the first two the master password. Opened from the main menu; "BACK TO MAIN SYSTEM" goes
// back to it.
class BackupWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmBackup";

    // The files as the operations name them; drive paths, mapped to this host by the drives.
    static constexpr QStringView kStoreFile = u"c:/Program Files/Point of Sale/Grocery.mdb";
    static constexpr QStringView kMercaviaCopy = u"c:/Program Files/Mercavia/Grocery.mdb";
    static constexpr QStringView kReplica = u"D:/Program Files/Point of Sale/Grocery.mdb";
    static constexpr QStringView kSecondDrive = u"D:\\";

    // A property made for the store database: its name and text value.
    struct Property {
        QString name;
        QString value;
    };

    explicit BackupWindow(app::Context& context);
    ~BackupWindow() override;

    void load() override;
    // The close button goes back to the main menu, as "BACK TO MAIN SYSTEM" does.
    void closeRequested() override;

    // MAKE DB REPLICABLE's two slots: the store database it opened, and the property it made.
    // Both are empty whenever no operation runs.
    const store::ReplicaDatabase* database() const { return m_database.get(); }
    const std::optional<Property>& property() const { return m_property; }

    // Menu "System".
    QMenuBar* menuBar;
    QMenu* help;
    QAction* myMenu; // Help, F1
    QAction* sair;   // Back to Main System, F2

    QFrame* myHeader;
    QLabel* Image1;

    QPushButton* cmdMakeDBRep;
    QPushButton* cmdSpawn;
    QPushButton* cmdSynch;
    QPushButton* cmdExit;

    // On Employees; kept with the window, read by none of its commands.
    store::RecordSource* datPass;

private:
    void layOut();

    void cmdMakeDBRep_Click();
    void cmdSpawn_Click();
    void cmdSynch_Click();
    void cmdExit_Click();
    void myMenu_Click();

    // True when drive D is a fixed disk; otherwise says that one is needed.
    bool secondDriveFound();
    // Asks for the password; true when it is the master password, otherwise says it is refused.
    // A failing input box throws.
    bool passwordGiven();
    // The host path of a drive path.
    QString hostPath(QStringView drivePath) const;
    // Closes the database in the slot (closing it as its destruction does when close() fails) and
    // empties both slots.
    void releaseDatabase() noexcept;

    std::unique_ptr<store::ReplicaDatabase> m_database;
    // The database's name: the drive path it was opened by.
    QString m_databaseName;
    std::optional<Property> m_property;

    std::unique_ptr<::help::HTMLHelp> m_help;
};

} // namespace replication
