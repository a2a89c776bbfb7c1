// The replication window's tests: one fixture, one test class, its tests split by command.
#pragma once

#include "access/gates.h"
#include "app/window_manager.h"
#include "catalogue/product_supplier_window.h"
#include "catalogue/product_update_window.h"
#include "catalogue/windows.h"
#include "platform/drive_types.h"
#include "platform/fakes.h"
#include "register/cash_register_window.h"
#include "register/windows.h"
#include "replication/backup_window.h"
#include "replication/windows.h"
#include "staff/windows.h"
#include "startup/main_window.h"
#include "startup/windows.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/replication.h"
#include "support/typing.h"
#include "support/test_context.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using platform::DriveType;
using replication::BackupWindow;
using store::RecordSource;
using store::ReplicaDatabase;
using store::Value;
using testing::ShownBox;

Q_DECLARE_METATYPE(platform::DriveType)

namespace replicationtest {

inline const QString kPrices = QStringLiteral("tblProductPrice");
inline const QString kStock = QStringLiteral("tblProductQuantity");
inline const QString kEmployees = QStringLiteral("Employees");

// A box as a test expects it: text, shown title, icon.
struct Box {
    QString text;
    QString title;
    ui::Icon icon = ui::Icon::Warning;
};

inline const Box kNoDrive{QStringLiteral(" A SECONDARY HARD DRIVE IS REQUIRED TO USE THIS FEATURE.  NO SECONDARY HARD DRIVE WAS FOUND IN YOUR "
                                         "SYSTEM.  IF THERE'S ONE, PLEASE MAKE SURE THAT IT'S LABELED AS 'D'"),
    QStringLiteral("       NO SECONDARY HARD DRIVE DETECTED!!    ")};
inline const Box kRefused{
    QStringLiteral(" You have no permission to use this feature of this system, please see the manager or check your spelling!"),
    QStringLiteral("       INVALID PASSWORD!!!    ")};
inline const Box kNotReplicable{QStringLiteral(" There was an error in trying to make this database replicable."),
    QStringLiteral("       BANCO DE DADOS N\u00c3O FOI ACHADO!!    ")};
inline const Box kNoReplica{QStringLiteral(" The system was unable to replicate your database at this moment, please be sure to check the "
                                           "secondary hard drive and see if it's active.  Also make sure you do not already have a copy of "
                                           "this database on this location ."),
    QStringLiteral("       SYSTEM WAS UNABLE TO COPY THE DATABASE!!    ")};
inline const Box kNotSynchronized{QStringLiteral(" The system was unable to syscronize your database at this moment, please be sure to check "
                                                 "the secondary hard drive and see if it's active.  Also make sure you do not already have a "
                                                 "copy of this database on this location ."),
    QStringLiteral("       SYSTEM WAS UNABLE TO COPY THE DATABASE!!    ")};
inline const Box kSynchronized{QStringLiteral("Sincrnization Was Made Succesfully"), QStringLiteral(" Syncronization System"), ui::Icon::None};
inline const Box kMadeReplicable{QStringLiteral(" The Database was copied to c:/Program Files/Point of Sale/Grocery.mdb and the replicable "
                                                "property now is  T"),
    QStringLiteral("Point of Sale"), ui::Icon::None};
inline const QString kPrompt = QStringLiteral("Please enter the password in to use this system");
inline const QString kPromptTitle = QStringLiteral(" Please Enter Password");

// One product as its two rows hold it.
struct Product {
    QString code;
    QString name;
    int cents = 0;
    QString category;
    int onHand = 0;
};

using testing::type;

inline void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The program with one store file: its windows, its boxes and its store. The tests run it on the
// store file of drive C and, beside it, on the replica of drive D.
struct Program {
    app::WindowManager& windows;
    testing::ScriptedServices& ui;
    store::Store& store;

    static void registerWindows(app::WindowManager& windows)
    {
        replication::registerWindows(windows);
        startup::registerWindows(windows);
        access_control::registerWindows(windows);
        catalogue::registerWindows(windows);
        cashregister::registerWindows(windows);
        staff::registerWindows(windows);
    }

    template <class W>
    W* open(const QString& name) const
    {
        auto* window = static_cast<W*>(windows.show(name));
        if (window && !QTest::qWaitForWindowActive(window))
            qWarning("%s did not become the active window", qPrintable(name));
        return window;
    }

    void close(const QString& name) const
    {
        windows.unload(name);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Every row of the tables, as text: equal snapshots are equal tables.
    QString snapshot(const QStringList& tables = {kPrices, kStock, kEmployees}) const
    {
        QStringList lines;
        for (const QString& table : tables) {
            RecordSource source(store, QStringLiteral("check"), table);
            lines << table;
            for (; !source.atEnd(); source.moveNext()) {
                QStringList cells;
                for (int f = 0; f < int(source.table().fields.size()); ++f)
                    cells << (source.field(f).isNull() ? QStringLiteral("<null>") : source.field(f).display());
                lines << cells.join(u'|');
            }
        }
        return lines.join(u'\n');
    }

    QStringList rowsOf(const QString& table) const { return snapshot({table}).split(u'\n').mid(1); }

    // The product window adds a product: code, name, price in cents, buying price in cents,
    // quantity, category.
    void addProduct(const Product& p) const
    {
        auto* w = open<catalogue::ProductSupplierWindow>(QStringLiteral("frmUpdate"));
        type(w->dbcboProdCode, p.code);
        type(w->dbcboProdName, p.name);
        type(w->txtProdPrice, QString::number(p.cents));
        type(w->txtVend, QString::number(p.cents / 2));
        type(w->txtQtyBought, QString::number(p.onHand));
        type(w->cboCatheria, p.category);
        click(w->cmdAddNewProd);
        close(QStringLiteral("frmUpdate"));
    }

    // The product window deletes a product by its code and name, the deletion confirmed.
    void deleteProduct(const QString& code, const QString& name) const
    {
        auto* w = open<catalogue::ProductSupplierWindow>(QStringLiteral("frmUpdate"));
        type(w->dbcboProdCode, code);
        type(w->dbcboProdName, name);
        ui.answerMessage(ui::Button::Yes);
        click(w->cmdDelProd);
        close(QStringLiteral("frmUpdate"));
        // The confirmation is the one box.
        QCOMPARE(ui.failures(), QString());
        QCOMPARE(int(ui.boxes().size()), 1);
        QCOMPARE(ui.boxes().front().buttons, ui::Buttons::YesNo);
        ui.clearBoxes();
    }

    // The update window renames a product and restocks it.
    void renameProduct(const QString& code, const QString& name, int restock) const
    {
        auto* w = open<catalogue::ProductUpdateWindow>(QStringLiteral("frmProdutosCancelados"));
        type(w->dbcboProdCode, code);
        type(w->dbcboProdName, QString());
        click(w->cmdShowProd);
        type(w->dbcboProdName, name);
        type(w->txtQtyBought, QString::number(restock));
        click(w->cmdProdUpd);
        close(QStringLiteral("frmProdutosCancelados"));
    }

    // The employee window adds a cashier: SS#, last name, first name; the password is "pw" and the SS#.
    void addEmployee(const QString& ss, const QString& lastName, const QString& firstName) const
    {
        auto* w = open<QWidget>(QStringLiteral("frmEmployees"));
        const std::pair<const char*, QString> entries[] = {{"dbcboProdCode", ss}, {"dbcboProdName", lastName},
            {"txtProdPrice", firstName}, {"txtCategory", QStringLiteral("stock")}, {"txtQtyBought", QStringLiteral("700")},
            {"Tempo", QStringLiteral("1")}, {"totHoras", QStringLiteral("20")}, {"txtSupAddr", QStringLiteral("3 Far Rd")},
            {"txtSupPhone", QStringLiteral("555-0303")}, {"passeword", QStringLiteral("pw") + ss}, {"txtuso", QStringLiteral("C")}};
        for (const auto& [name, text] : entries)
            type(w->findChild<QWidget*>(QString::fromLatin1(name)), text);
        click(w->findChild<QPushButton*>(QStringLiteral("cmdAddNewProd")));
        close(QStringLiteral("frmEmployees"));
    }

    // The cash register sells a quantity of a product and completes the sale, paid in full.
    void sell(const QString& code, int quantity) const
    {
        auto* till = open<cashregister::CashRegisterWindow>(QStringLiteral("frmCashRegister"));
        till->CashierTime->stop();
        type(till->txtProductCode, code);
        till->txtProductName->clear();
        type(till->txtQuantity, QString::number(quantity));
        QTest::keyClick(till->txtProductCode, Qt::Key_Return);
        ui.answerInput(QStringLiteral("100000"));
        QTest::keyClick(till->txtProductCode, Qt::Key_End);
        close(QStringLiteral("frmCashRegister"));
        // The amount tendered is the one box.
        QCOMPARE(ui.failures(), QString());
        QCOMPARE(int(ui.boxes().size()), 1);
        QCOMPARE(ui.boxes().front().kind, ShownBox::Kind::Input);
        ui.clearBoxes();
    }

    // A product's stock row: bought, on hand, sold.
    QString stockOf(const QString& code) const
    {
        const QStringList rows = rowsOf(kStock);
        for (const QString& row : rows) {
            if (row.section(u'|', 0, 0) == code)
                return row.section(u'|', 1);
        }
        return QStringLiteral("<none>");
    }

    // Every box shown since the last check was one of these, in this order; with `prompted`, they
    // came after the password prompt.
    void expectBoxes(const QList<Box>& expected, bool prompted = false) const
    {
        QCOMPARE(ui.failures(), QString());
        const int first = prompted ? 1 : 0;
        QVERIFY2(int(ui.boxes().size()) == first + int(expected.size()), qPrintable(ui.texts().join(u'\n')));
        QCOMPARE(int(ui.boxes().size()), first + int(expected.size()));
        if (prompted) {
            const ShownBox& prompt = ui.boxes().front();
            QCOMPARE(prompt.kind, ShownBox::Kind::Input);
            QCOMPARE(prompt.text, kPrompt);
            QCOMPARE(prompt.title, kPromptTitle);
            QCOMPARE(prompt.defaultText, QString());
        }
        for (int i = 0; i < expected.size(); ++i) {
            const ShownBox& box = ui.boxes()[std::size_t(first + i)];
            QCOMPARE(box.kind, ShownBox::Kind::Message);
            QCOMPARE(box.text, expected[i].text);
            QCOMPARE(box.shownTitle, expected[i].title);
            QCOMPARE(box.icon, expected[i].icon);
            QCOMPARE(box.buttons, ui::Buttons::Ok);
        }
        ui.clearBoxes();
    }
};

// A fresh store on drive C with the program's windows, drive D a fixed disk (a folder of its own
// linked in as dosdevices/d:) holding the folder the replica goes in, and what a test reads back.
struct ReplicationFixture : testing::TestContext {
    QTemporaryDir secondDisk;
    testing::FakeDriveTypes* driveTypes;
    Program program{windows, ui, *store};

    ReplicationFixture()
    {
        Program::registerWindows(windows);
        auto types = std::make_unique<testing::FakeDriveTypes>();
        types->kinds.insert(u'C', DriveType::Fixed);
        types->kinds.insert(u'D', DriveType::Fixed);
        driveTypes = types.get();
        platform.setDriveTypes(std::move(types));
        QDir().mkpath(root.filePath(QStringLiteral("dosdevices")));
        QFile::link(secondDisk.path(), root.filePath(QStringLiteral("dosdevices/d:")));
        QDir().mkpath(secondDisk.filePath(QStringLiteral("Program Files/Point of Sale")));
    }

    QString host(QStringView drivePath) const { return platform.drives().hostPath(drivePath); }
    QString storeFile() const { return host(BackupWindow::kStoreFile); }
    QString mercaviaCopy() const { return host(BackupWindow::kMercaviaCopy); }
    QString replica() const { return host(BackupWindow::kReplica); }

    static void addProduct(store::Store& into, const Product& p)
    {
        RecordSource prices(into, QStringLiteral("setup"), kPrices);
        prices.addNew();
        prices.setField(u"Code", Value(p.code));
        prices.setField(u"ProductName", Value(p.name));
        prices.setField(u"ProductPrice", Value(store::Currency::fromCents(p.cents)));
        prices.setField(u"VPrice", Value(store::Currency::fromCents(p.cents / 2)));
        prices.setField(u"ProdCathegory", Value(p.category));
        prices.update();
        RecordSource stock(into, QStringLiteral("setup"), kStock);
        stock.addNew();
        stock.setField(u"Code", Value(p.code));
        stock.setField(u"QuantityBought", Value(std::int16_t(p.onHand)));
        stock.setField(u"QuantityOnHand", Value(std::int16_t(p.onHand)));
        stock.setField(u"QuantitySold", Value(std::int16_t(0)));
        stock.update();
    }

    // The copy kept in the Mercavia folder: a store of the program holding these products, marked
    // replicable when asked.
    void makeMercaviaCopy(const QList<Product>& products, bool replicable = false)
    {
        QVERIFY(QDir().mkpath(QFileInfo(mercaviaCopy()).path()));
        {
            std::unique_ptr<store::Store> copy = store::Store::open(mercaviaCopy(), QDate(2026, 12, 10));
            for (const Product& p : products)
                addProduct(*copy, p);
        }
        if (replicable) {
            auto copy = ReplicaDatabase::open(mercaviaCopy(), ReplicaDatabase::Use::Exclusive, nullptr);
            copy->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
            copy->close();
        }
    }

    // The replication window, opened as a person opens it: SYNCHRONIZATION on the main menu.
    BackupWindow* open()
    {
        auto* menu = program.open<startup::MainWindow>(QStringLiteral("frmMain"));
        click(menu->cmdprevention);
        auto* window = static_cast<BackupWindow*>(windows.find(QString::fromLatin1(BackupWindow::kName)));
        if (window && !QTest::qWaitForWindowActive(window))
            qWarning("frmBackup did not become the active window");
        return window;
    }

    // MAKE DB REPLICABLE, REPLICATE DATABASE or SYNCHRONIZE DATABASE, with the master password
    // given where it is asked.
    void makeReplicable(BackupWindow* w)
    {
        ui.answerInput(QStringLiteral("plinth"));
        click(w->cmdMakeDBRep);
    }
    void spawn(BackupWindow* w)
    {
        ui.answerInput(QStringLiteral("plinth"));
        click(w->cmdSpawn);
    }

    // The store's "Replicable" property, or "<none>".
    QString replicableMark(const QString& path) const
    {
        try {
            auto database = ReplicaDatabase::open(path, ReplicaDatabase::Use::Shared, nullptr);
            return database->property(QStringLiteral("Replicable"));
        } catch (const std::exception&) {
            return QStringLiteral("<none>");
        }
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    // After an operation: the slots are empty, the pointer is normal, and the program's windows
    // read and write the store: the main menu's record sources, and a product added through the
    // product window.
    void expectStoreInUse(BackupWindow* w, const QString& code)
    {
        QVERIFY(!w->database());
        QVERIFY(!w->property());
        QVERIFY(!ui.busy());
        auto* menu = static_cast<startup::MainWindow*>(windows.find(QStringLiteral("frmMain")));
        QVERIFY(menu);
        for (RecordSource* source : {menu->dailly, menu->totalSale, menu->YearSale, menu->lastYear, menu->dailySaledata}) {
            source->refresh();
            QVERIFY2(source->recordCount() >= 0, qPrintable(source->name()));
        }
        menu->totalSale->moveFirst();
        QCOMPARE(menu->totalSale->field(u"tDate").toDate(), QDate(2026, 12, 10));
        menu->totalSale->edit();
        menu->totalSale->setField(u"totalItems", Value(std::int16_t(7)));
        menu->totalSale->update();
        QCOMPARE(RecordSource(*store, QStringLiteral("check"), QStringLiteral("tblDailySale")).field(u"totalItems").display(), QStringLiteral("7"));
        program.addProduct({code, QStringLiteral("Check ") + code, 100, QStringLiteral("Dairy"), 1});
        QVERIFY2(program.stockOf(code) == u"1|1|0", qPrintable(program.stockOf(code)));
        program.expectBoxes({});
    }
};

// The program run on the replica on drive D: a context of its own over that file, as another
// till would run it.
struct ReplicaSide {
    ReplicaSide(const QString& path, const QString& driveRoot, const app::AppInfo& info)
        : platform(platform::Drives(driveRoot), std::make_unique<platform::UnsupportedDisplaySettings>(),
              std::make_unique<testing::FakeShell>()),
          store(store::Store::open(path, QDate(2026, 12, 10))),
          clock(QDate(2026, 12, 10), QTime(14, 5, 9)),
          app(info),
          context{*store, ui, platform, windows, clock, app, QLocale(QLocale::English, QLocale::UnitedStates)}
    {
        windows.setContext(context);
        platform.setHelpViewer(std::make_unique<testing::FakeHelpViewer>());
        platform.setPrinter(std::make_unique<testing::FakePrinter>());
        platform.setRegistry(std::make_unique<testing::FakeRegistry>());
        Program::registerWindows(windows);
    }

    ~ReplicaSide() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    testing::ScriptedServices ui;
    platform::Platform platform;
    std::unique_ptr<store::Store> store;
    app::FixedClock clock;
    app::AppInfo app;
    app::WindowManager windows;
    app::Context context;
    Program program{windows, ui, *store};
};

} // namespace replicationtest

Q_DECLARE_METATYPE(replicationtest::Box)

class TestReplication : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    // The window, its way back and its help.
    void window_controls();
    void window_backToMain_data();
    void window_backToMain();
    void window_help();

    // What every operation checks first.
    void secondDrive_data();
    void secondDrive();
    void password_data();
    void password();

    // MAKE DB REPLICABLE.
    void makeReplicable_putsTheCopyInPlaceMarked();
    void makeReplicable_copyMarkedAlready_endsWithoutAWord();
    void makeReplicable_copyUnusable_leavesTheStore_data();
    void makeReplicable_copyUnusable_leavesTheStore();
    void makeReplicable_windowLeftOpenReadsTheCopy();

    // REPLICATE DATABASE.
    void replicate_makesAReplicaThatOpensAsAStore();
    void replicate_refused_data();
    void replicate_refused();

    // SYNCHRONIZE DATABASE.
    void synchronize_noReplica();
    void synchronize_exchangesTheChangesOfBothSides();
    void synchronize_productDeletedOnOneSideSoldOnTheOther_data();
    void synchronize_productDeletedOnOneSideSoldOnTheOther();
    void synchronize_productsAddedAndDeletedOnEachSide_stayPaired();
    void synchronize_replicaOfAStoreMadeReplicableAgain_isRefused();
};
