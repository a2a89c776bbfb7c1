#include "replication/backup_window.h"

#include "access/master_password.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "help/html_help.h"
#include "platform/drive_types.h"
#include "platform/platform.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/replication.h"
#include "ui/artwork.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace replication {
namespace {

using store::ReplicaDatabase;

constexpr QStringView kCaption
    = u"                        *********WELCOME TO VANTORAL\u00ae POINT OF SALE SYSTEM******************* ";

constexpr QStringView kReplicable = u"Replicable";
constexpr QStringView kMarked = u"T";
constexpr QStringView kReplicaDescription = u"MyReplica";

constexpr QStringView kNoDriveText = u" A SECONDARY HARD DRIVE IS REQUIRED TO USE THIS FEATURE.  NO SECONDARY HARD DRIVE WAS FOUND IN YOUR "
                                     u"SYSTEM.  IF THERE'S ONE, PLEASE MAKE SURE THAT IT'S LABELED AS 'D'";
constexpr QStringView kNoDriveTitle = u"       NO SECONDARY HARD DRIVE DETECTED!!    ";
constexpr QStringView kPasswordPrompt = u"Please enter the password in to use this system";
constexpr QStringView kPasswordTitle = u" Please Enter Password";
constexpr QStringView kRefusedText
    = u" You have no permission to use this feature of this system, please see the manager or check your spelling!";
constexpr QStringView kRefusedTitle = u"       INVALID PASSWORD!!!    ";
constexpr QStringView kCopiedText = u" The Database was copied to ";
constexpr QStringView kPropertyText = u" and the replicable property now is  ";
constexpr QStringView kNotReplicableText = u" There was an error in trying to make this database replicable.";
constexpr QStringView kNotReplicableTitle = u"       BANCO DE DADOS N\u00c3O FOI ACHADO!!    ";
constexpr QStringView kNoReplicaText = u" The system was unable to replicate your database at this moment, please be sure to check the secondary "
                                       u"hard drive and see if it's active.  Also make sure you do not already have a copy of this database "
                                       u"on this location .";
constexpr QStringView kNotCopiedTitle = u"       SYSTEM WAS UNABLE TO COPY THE DATABASE!!    ";
constexpr QStringView kSynchronizedText = u"Sincrnization Was Made Succesfully";
constexpr QStringView kSynchronizedTitle = u" Syncronization System";
constexpr QStringView kNotSyncedPrefix = u"The synchronisation could not be made. ";
constexpr QStringView kNotSynchronizedText = u" The system was unable to syscronize your database at this moment, please be sure to check the "
                                             u"secondary hard drive and see if it's active.  Also make sure you do not already have a copy "
                                             u"of this database on this location .";

} // namespace

BackupWindow::BackupWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    datPass = new store::RecordSource(context.store, QStringLiteral("datPass"), QStringLiteral("Employees"), this);

    menuBar = ui::makeNamed<QMenuBar>(QStringLiteral("menuBar"), this);
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    menuBar->setNativeMenuBar(false);
    help = menuBar->addMenu(QStringLiteral("System"));
    help->setObjectName(QStringLiteral("help"));
    myMenu = ui::makeAction(help, QStringLiteral("myMenu"), QStringLiteral("Help"), QKeySequence(Qt::Key_F1));
    sair = ui::makeAction(help, QStringLiteral("sair"), QStringLiteral("&Back to Main System"), QKeySequence(Qt::Key_F2));

    myHeader = ui::makeNamed<QFrame>(QStringLiteral("myHeader"), this);
    myHeader->setFrameShape(QFrame::StyledPanel);
    Image1 = ui::makeNamed<QLabel>(QStringLiteral("Image1"), myHeader);
    Image1->setPixmap(ui::artwork(u"logo.png"));
    Image1->setAccessibleName(QStringLiteral("Vantoral logo"));

    cmdMakeDBRep = ui::makeNamed<QPushButton>(QStringLiteral("cmdMakeDBRep"), QStringLiteral("MAKE DB REPLICABLE"), this);
    cmdSpawn = ui::makeNamed<QPushButton>(QStringLiteral("cmdSpawn"), QStringLiteral("REPLICATE DATABASE"), this);
    cmdSynch = ui::makeNamed<QPushButton>(QStringLiteral("cmdSynch"), QStringLiteral("SYNCHRONIZE DATABASE"), this);
    cmdExit = ui::makeNamed<QPushButton>(QStringLiteral("cmdExit"), QStringLiteral("BACK TO MAIN SYSTEM"), this);

    layOut();

    connect(myMenu, &QAction::triggered, this, &BackupWindow::myMenu_Click);
    connect(sair, &QAction::triggered, this, &BackupWindow::cmdExit_Click);
    connect(cmdMakeDBRep, &QPushButton::clicked, this, &BackupWindow::cmdMakeDBRep_Click);
    connect(cmdSpawn, &QPushButton::clicked, this, &BackupWindow::cmdSpawn_Click);
    connect(cmdSynch, &QPushButton::clicked, this, &BackupWindow::cmdSynch_Click);
    connect(cmdExit, &QPushButton::clicked, this, &BackupWindow::cmdExit_Click);

    ui::nameControls(this);
    fixSize();
}

BackupWindow::~BackupWindow()
{
    releaseDatabase();
}

void BackupWindow::layOut()
{
    // The logo in the header across the top, the operations below it in their order of use, and
    // the way back apart at the bottom.
    auto* header = new QHBoxLayout(myHeader);
    header->setContentsMargins(12, 10, 12, 10);
    header->addStretch();
    header->addWidget(Image1);
    header->addStretch();

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(14);
    for (QPushButton* button : {cmdMakeDBRep, cmdSpawn, cmdSynch, cmdExit}) {
        button->setMinimumSize(300, 44);
        buttons->addWidget(button, 0, Qt::AlignHCenter);
    }
    buttons->insertSpacing(3, 12);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(32, 16, 32, 24);
    layout->setSpacing(20);
    layout->addWidget(myHeader);
    layout->addLayout(buttons);
    // Wide enough for the window's long caption on an 800 x 600 screen.
    myHeader->setMinimumWidth(600);
}

void BackupWindow::load()
{
    centreOnScreen();
}

QString BackupWindow::hostPath(QStringView drivePath) const
{
    return context().platform.drives().hostPath(drivePath);
}

bool BackupWindow::secondDriveFound()
{
    if (context().platform.driveTypes().type(kSecondDrive) == platform::DriveType::Fixed)
        return true;
    context().ui.message(kNoDriveText.toString(), kNoDriveTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    return false;
}

bool BackupWindow::passwordGiven()
{
    const QString typed = context().ui.input(kPasswordPrompt.toString(), kPasswordTitle.toString());
    if (access_control::isMasterPassword(typed))
        return true;
    context().ui.message(kRefusedText.toString(), kRefusedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    return false;
}

void BackupWindow::releaseDatabase() noexcept
{
    if (m_database) {
        try {
            m_database->close();
        } catch (const std::exception&) {
            // Destroying it below closes the file all the same.
        }
        m_database.reset();
    }
    m_databaseName.clear();
    m_property.reset();
}

void BackupWindow::cmdMakeDBRep_Click()
{
    ui::Services& boxes = context().ui;
    if (!secondDriveFound())
        return;
    try {
        if (!passwordGiven())
            return;
    } catch (const std::exception&) {
        return;
    }
    try {
        store::replaceStoreFile(hostPath(kMercaviaCopy), hostPath(kStoreFile), &context().store);
        m_database = ReplicaDatabase::open(hostPath(kStoreFile), ReplicaDatabase::Use::Exclusive, &context().store);
        m_databaseName = kStoreFile.toString();
        m_property = Property{kReplicable.toString(), kMarked.toString()};
        m_database->appendProperty(m_property->name, m_property->value);
        m_database->setProperty(kReplicable.toString(), kMarked.toString());
        boxes.message(kCopiedText.toString() + m_databaseName + kPropertyText.toString() + m_database->property(kReplicable.toString()), QString(),
            ui::Icon::None, ui::Buttons::Ok);
        m_database->close();
        releaseDatabase();
    } catch (const ReplicaDatabase::Failure& failure) {
        // Made replicable before: the store is the copy now, and nothing more is said.
        releaseDatabase();
        if (failure.kind() != ReplicaDatabase::Failure::Kind::PropertyExists)
            boxes.message(kNotReplicableText.toString(), kNotReplicableTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    } catch (const std::exception&) {
        releaseDatabase();
        boxes.message(kNotReplicableText.toString(), kNotReplicableTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    }
    // Whatever happened, the store file is the program's again when the command ends.
    releaseDatabase();
}

void BackupWindow::cmdSpawn_Click()
{
    if (!secondDriveFound())
        return;
    std::unique_ptr<ReplicaDatabase> database;
    try {
        if (!passwordGiven())
            return;
        database = ReplicaDatabase::open(hostPath(kStoreFile), ReplicaDatabase::Use::Exclusive, &context().store);
        database->makeReplica(hostPath(kReplica), kReplicaDescription.toString());
        database->close();
    } catch (const std::exception&) {
        // The store file goes back to the program before the box is shown.
        database.reset();
        context().ui.message(kNoReplicaText.toString(), kNotCopiedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    }
}

void BackupWindow::cmdSynch_Click()
{
    ui::Services& boxes = context().ui;
    if (!secondDriveFound())
        return;
    std::unique_ptr<ReplicaDatabase> database;
    try {
        database = ReplicaDatabase::open(hostPath(kStoreFile), ReplicaDatabase::Use::Shared, &context().store);
        boxes.setBusy(true);
        database->synchronize(hostPath(kReplica));
        boxes.setBusy(false);
        boxes.message(kSynchronizedText.toString(), kSynchronizedTitle.toString(), ui::Icon::None, ui::Buttons::Ok);
    } catch (const ReplicaDatabase::Failure& failure) {
        if (failure.kind() == ReplicaDatabase::Failure::Kind::ReplicaNotFound) {
            boxes.message(kNotSynchronizedText.toString(), kNotCopiedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
            boxes.setBusy(false);
            repaint();
        } else {
            // A replica of another store, one in use by another program, one that cannot be
            // read: nothing was merged, and the person is told why.
            boxes.setBusy(false);
            boxes.message(kNotSyncedPrefix.toString() + failure.message(), kSynchronizedTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
        }
    } catch (const store::Error& error) {
        boxes.setBusy(false);
        // A disk that fails under the synchronisation is told; the store and the replica are
        // each as they were or merged, and a synchronisation made again converges.
        if (error.kind() == store::ErrorKind::IO)
            boxes.message(kNotSyncedPrefix.toString() + error.message(), kSynchronizedTitle.toString(),
                ui::Icon::Warning, ui::Buttons::Ok);
    } catch (const std::exception&) {
        boxes.setBusy(false);
    }
}

void BackupWindow::cmdExit_Click()
{
    try {
        context().windows.show(QStringLiteral("frmMain"));
    } catch (const std::exception&) {
        // Without the main menu to go to, the window still closes.
    }
    context().windows.unload(objectName());
}

void BackupWindow::closeRequested()
{
    cmdExit_Click();
}

void BackupWindow::myMenu_Click()
{
    try {
        ::help::showHelpContents(context(), m_help, this);
    } catch (const std::exception&) {
        // Without help the window goes on as it was.
    }
}

} // namespace replication
