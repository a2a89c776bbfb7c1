// The replication window: its controls, its way back and help, and the two checks its operations
// make first: the second disk and the master password.
#include "replication_test.h"

using namespace replicationtest;

namespace {

enum Command { MakeReplicable, Replicate, Synchronize };

QPushButton* buttonOf(BackupWindow* w, int command)
{
    return command == MakeReplicable ? w->cmdMakeDBRep : command == Replicate ? w->cmdSpawn : w->cmdSynch;
}

// Marks the store file replicable, as MAKE DB REPLICABLE leaves it.
void markReplicable(ReplicationFixture& t)
{
    auto database = ReplicaDatabase::open(t.storeFile(), ReplicaDatabase::Use::Exclusive, t.store.get());
    database->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
    database->close();
}

void addEmployee(ReplicationFixture& t, const QString& password, const QString& usage)
{
    RecordSource employees(*t.store, QStringLiteral("setup"), kEmployees);
    employees.addNew();
    employees.setField(u"SS#", Value(QStringLiteral("111")));
    employees.setField(u"Sobrenome", Value(QStringLiteral("Lee")));
    employees.setField(u"Nome", Value(QStringLiteral("Ann")));
    employees.setField(u"passe", Value(password));
    employees.setField(u"uso", Value(usage));
    employees.update();
}

} // namespace

void TestReplication::window_controls()
{
    ReplicationFixture t;
    BackupWindow* w = t.open();
    QVERIFY(w);
    QVERIFY(!t.program.windows.find(QStringLiteral("frmMain"))->isVisible());

    // 24 blanks, nine stars, the welcome, nineteen stars and a blank.
    const QString caption = w->windowTitle();
    QCOMPARE(caption, QString(24, u' ') + QString(9, u'*') + QStringLiteral("WELCOME TO VANTORAL\u00ae POINT OF SALE SYSTEM")
            + QString(19, u'*') + u' ');

    QCOMPARE(w->help->title(), QStringLiteral("System"));
    QCOMPARE(w->help->objectName(), QStringLiteral("help"));
    QCOMPARE(w->help->actions(), (QList<QAction*>{w->myMenu, w->sair}));
    QCOMPARE(w->myMenu->objectName(), QStringLiteral("myMenu"));
    QCOMPARE(w->myMenu->text(), QStringLiteral("Help"));
    QCOMPARE(w->myMenu->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(w->sair->objectName(), QStringLiteral("sair"));
    QCOMPARE(w->sair->text(), QStringLiteral("&Back to Main System"));
    QCOMPARE(w->sair->shortcut(), QKeySequence(Qt::Key_F2));

    // The buttons by their names, in their order of use from the top; the way back last.
    const std::pair<const char*, QString> buttons[] = {{"cmdMakeDBRep", "MAKE DB REPLICABLE"}, {"cmdSpawn", "REPLICATE DATABASE"},
        {"cmdSynch", "SYNCHRONIZE DATABASE"}, {"cmdExit", "BACK TO MAIN SYSTEM"}};
    int above = -1;
    for (const auto& [name, text] : buttons) {
        auto* button = w->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button, name);
        QCOMPARE(button->text(), text);
        QCOMPARE(button->accessibleName(), text);
        QVERIFY(button->isEnabled());
        QVERIFY2(button->y() > above, name);
        above = button->y();
    }

    // The header holds the picture, above the buttons.
    QCOMPARE(w->findChild<QFrame*>(QStringLiteral("myHeader")), w->myHeader);
    QCOMPARE(w->Image1->parentWidget(), w->myHeader);
    QVERIFY(!w->Image1->pixmap().isNull());
    QVERIFY(w->myHeader->geometry().bottom() < w->cmdMakeDBRep->y());

    QCOMPARE(w->datPass->name(), QStringLiteral("datPass"));
    QCOMPARE(w->datPass->table().qName(), kEmployees);
    QVERIFY(!w->database());
    QVERIFY(!w->property());

    // Whole on an 800 x 600 screen, and of fixed size.
    QVERIFY(w->frameGeometry().width() <= 800 && w->frameGeometry().height() <= 600);
    QVERIFY(QRect(0, 0, 800, 600).contains(w->frameGeometry()));
    QCOMPARE(w->minimumSize(), w->maximumSize());
}

void TestReplication::window_backToMain_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("BACK TO MAIN SYSTEM") << 0;
    QTest::newRow("&Back to Main System") << 1;
    QTest::newRow("F2") << 2;
    QTest::newRow("close button") << 3;
}

void TestReplication::window_backToMain()
{
    QFETCH(int, way);
    ReplicationFixture t;
    BackupWindow* w = t.open();
    if (way == 0)
        click(w->cmdExit);
    else if (way == 1)
        w->sair->trigger();
    else if (way == 2)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_F2);
    else
        w->close();
    QWidget* menu = t.windows.find(QStringLiteral("frmMain"));
    QVERIFY(menu && menu->isVisible());
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(BackupWindow::kName)));
    t.program.expectBoxes({});

    // Opened again, it is a new window.
    QVERIFY(t.open());
}

// Help (F1) opens the help file over the window, which stays.
void TestReplication::window_help()
{
    ReplicationFixture t;
    QTemporaryDir programFolder;
    t.app.path = programFolder.path();
    QFile chm(QDir(programFolder.path()).filePath(QStringLiteral("Sistema.chm")));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    chm.write("ITSF");
    chm.close();
    BackupWindow* w = t.open();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_F1);
    QCOMPARE(int(t.helpViewer().shown.size()), 1);
    QCOMPARE(t.helpViewer().shown.back().path, chm.fileName());
    w->myMenu->trigger();
    QCOMPARE(int(t.helpViewer().shown.size()), 2);
    t.program.expectBoxes({});
    QVERIFY(w->isVisible());
}

void TestReplication::secondDrive_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<DriveType>("drive");
    QTest::addColumn<Box>("box"); // the one message shown
    QTest::addColumn<bool>("asked"); // whether the password was asked before it

    const std::pair<const char*, int> commands[] = {{"MAKE DB REPLICABLE", MakeReplicable}, {"REPLICATE DATABASE", Replicate},
        {"SYNCHRONIZE DATABASE", Synchronize}};
    const std::pair<const char*, DriveType> drives[] = {{"no drive D", DriveType::NoRootDir}, {"removable", DriveType::Removable},
        {"CD", DriveType::CdRom}, {"network", DriveType::Remote}, {"unknown", DriveType::Unknown}};
    for (const auto& [commandName, command] : commands) {
        for (const auto& [driveName, drive] : drives)
            QTest::addRow("%s, %s", commandName, driveName) << command << drive << kNoDrive << false;
    }
    // A fixed disk lets each go on: to the password, or to the replica that is not there yet.
    QTest::newRow("MAKE DB REPLICABLE, fixed disk") << int(MakeReplicable) << DriveType::Fixed << kRefused << true;
    QTest::newRow("REPLICATE DATABASE, fixed disk") << int(Replicate) << DriveType::Fixed << kRefused << true;
    QTest::newRow("SYNCHRONIZE DATABASE, fixed disk") << int(Synchronize) << DriveType::Fixed << kNotSynchronized << false;
}

// Drive D must be a fixed disk: otherwise the operation says so and does nothing else, not even
// ask for the password.
void TestReplication::secondDrive()
{
    QFETCH(int, command);
    QFETCH(DriveType, drive);
    QFETCH(Box, box);
    QFETCH(bool, asked);
    ReplicationFixture t;
    t.makeMercaviaCopy({{QStringLiteral("MC1"), QStringLiteral("Copy"), 100, QStringLiteral("Dairy"), 1}});
    t.driveTypes->kinds.insert(u'D', drive);
    BackupWindow* w = t.open();
    const QString storeBefore = t.program.snapshot();
    if (asked)
        t.ui.answerInput(QStringLiteral("wrong"));
    click(buttonOf(w, command));

    QCOMPARE(t.driveTypes->asked, QStringList{QStringLiteral("D:\\")});
    t.program.expectBoxes({box}, asked);
    QVERIFY(!t.ui.busy());
    QCOMPARE(t.program.snapshot(), storeBefore);
    QVERIFY(!QFileInfo::exists(t.replica()));
    QCOMPARE(t.replicableMark(t.storeFile()), QStringLiteral("<none>"));
    t.expectStoreInUse(w, QStringLiteral("K1"));
}

void TestReplication::password_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    const std::pair<const char*, int> commands[] = {{"MAKE DB REPLICABLE", MakeReplicable}, {"REPLICATE DATABASE", Replicate}};
    for (const auto& [name, command] : commands) {
        QTest::addRow("%s, plinth", name) << command << "plinth" << true;
        QTest::addRow("%s, PLINTH", name) << command << "PLINTH" << true;
        QTest::addRow("%s, PlInTh", name) << command << "PlInTh" << true;
        QTest::addRow("%s, an employee's password", name) << command << "pw1" << false;
        QTest::addRow("%s, cancelled", name) << command << "" << false;
        QTest::addRow("%s, a blank before", name) << command << " plinth" << false;
        QTest::addRow("%s, a blank after", name) << command << "plinth " << false;
    }
}

// The master password in any letter case lets the operation go on; anything else, an employee's
// password with every right among them, is refused.
void TestReplication::password()
{
    QFETCH(int, command);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    ReplicationFixture t;
    addEmployee(t, QStringLiteral("pw1"), QStringLiteral("ACE"));
    t.makeMercaviaCopy({{QStringLiteral("MC1"), QStringLiteral("Copy"), 100, QStringLiteral("Dairy"), 1}});
    if (command == Replicate)
        markReplicable(t);
    BackupWindow* w = t.open();
    t.ui.answerInput(typed);
    click(buttonOf(w, command));

    if (!accepted)
        t.program.expectBoxes({kRefused}, true);
    else if (command == MakeReplicable)
        t.program.expectBoxes({kMadeReplicable}, true);
    else
        t.program.expectBoxes({}, true);
    if (command == MakeReplicable) {
        QCOMPARE(t.program.rowsOf(kPrices).contains(QStringLiteral("MC1|Copy|1|0.5|Dairy")), accepted);
        QCOMPARE(t.replicableMark(t.storeFile()), accepted ? QStringLiteral("T") : QStringLiteral("<none>"));
    } else {
        QCOMPARE(QFileInfo::exists(t.replica()), accepted);
    }
    QCOMPARE(t.ui.failures(), QString());
    t.expectStoreInUse(w, QStringLiteral("K1"));
}
