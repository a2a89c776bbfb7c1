#include "till_child.h"

#include "till_state.h"

#include "access/gates.h"
#include "access/password_gate.h"
#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "catalogue/product_supplier_window.h"
#include "catalogue/product_update_window.h"
#include "catalogue/products_menu.h"
#include "catalogue/windows.h"
#include "platform/fakes.h"
#include "platform/platform.h"
#include "platform/printer.h"
#include "register/cash_register_window.h"
#include "register/sale_recovery.h"
#include "register/windows.h"
#include "replication/backup_window.h"
#include "replication/windows.h"
#include "staff/windows.h"
#include "startup/main_window.h"
#include "startup/splash_window.h"
#include "startup/windows.h"
#include "store/record_source.h"
#include "store/store.h"
#include "support/typing.h"
#include "support/scripted_services.h"
#include "ui/artwork.h"
#include "ui/bound_list.h"
#include "ui/digits_only_edit.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace crashtest {
namespace {

constexpr QStringView kStorePath = u"C:\\Program Files\\Point of Sale\\Grocery.mdb";
constexpr QStringView kMaster = u"plinth";
const QStringList kCategories{"Meat", "Bakery", "Beverage", "Frozen", "Vegetable", "Fruits", "Dairy", "Grain", "Grocery",
    "Miscelaneous", "Health", "Cleaning"};

void say(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// Something the program did that a person would not expect: the trial fails with it.
struct Unexpected : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void type(QWidget* box, const QString& text)
{
    if (!testing::typeOver(box, text))
        throw Unexpected("no text box to type in");
}

void click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

template <class W>
W* child(QWidget* window, const char* name)
{
    W* found = window->findChild<W*>(QString::fromLatin1(name));
    if (!found)
        throw Unexpected(std::string("no control ") + name);
    return found;
}

// One run of the program, from its start to the close of the day: the application context of
// main() over the store under the drive root, with the dialog double answering the boxes and the
// receipts kept as PDF files (the print service knows no printer).
struct Run {
    platform::Platform platform;
    std::unique_ptr<store::Store> store;
    testing::ScriptedServices ui;
    app::FixedClock clock;
    app::AppInfo app;
    app::WindowManager windows;
    app::Context context;

    Run(const QString& root, QDate today)
        : platform(platform::Drives(root), std::make_unique<platform::UnsupportedDisplaySettings>(), std::make_unique<testing::FakeShell>()),
          store(store::Store::open(platform.drives().hostPath(kStorePath), today)),
          clock(today, QTime(9, 0)),
          app(programInfo()),
          context{*store, ui, platform, windows, clock, app, QLocale(QLocale::English, QLocale::UnitedStates)}
    {
        ui.setFailOnUnexpected(false);
        windows.setContext(context);
        auto types = std::make_unique<testing::FakeDriveTypes>();
        types->kinds.insert(u'C', platform::DriveType::Fixed);
        types->kinds.insert(u'D', platform::DriveType::Fixed);
        platform.setDriveTypes(std::move(types));
        platform.setRegistry(std::make_unique<testing::FakeRegistry>());
        platform.setHelpViewer(std::make_unique<testing::FakeHelpViewer>());
        platform.setPrinter(std::make_unique<platform::SystemPrinter>(
            QFileInfo(store->path()).dir().filePath(QStringLiteral("Receipts")), std::make_shared<testing::FakePrintService>()));
        startup::registerWindows(windows);
        cashregister::registerWindows(windows);
        access_control::registerWindows(windows);
        catalogue::registerWindows(windows);
        staff::registerWindows(windows);
        replication::registerWindows(windows);
    }

    ~Run()
    {
        for (const QString& name : windows.loadedNames())
            windows.unload(name);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static app::AppInfo programInfo()
    {
        app::AppInfo info;
        info.path = QStringLiteral(POS_PROGRAM_DIR);
        info.exeName = QStringLiteral("point-of-sale");
        return info;
    }

    template <class W = QWidget>
    W* shown(const char* name) const
    {
        app::Window* window = windows.find(QString::fromLatin1(name));
        if (!window || !window->isVisible())
            throw Unexpected(std::string(name) + " is not shown");
        // Keys go where a person's would: to the active window, whose shortcuts then work.
        if (!QTest::qWaitForWindowActive(window))
            throw Unexpected(std::string(name) + " did not become active");
        return static_cast<W*>(static_cast<QWidget*>(window));
    }

    // The splash window's four ticks: the day rolled over, the main menu shown.
    startup::MainWindow* start()
    {
        auto* splash = static_cast<startup::SplashWindow*>(static_cast<QWidget*>(windows.show(QStringLiteral("frmSplash"))));
        splash->Timer1->stop();
        for (int tick = 0; tick < 4; ++tick)
            splash->Timer1_Timer();
        return shown<startup::MainWindow>("frmMain");
    }

    // A password gate opened from the main menu and answered with the master password.
    void passGate(QPushButton* button, const char* gate)
    {
        click(button);
        auto* window = shown<access_control::PasswordGate>(gate);
        type(window->txtPass, kMaster.toString());
        click(window->cmdEnter);
    }

    // What the program showed since the last look: a warning or an error, or a box nobody
    // answered, is what a person would not expect after what the child did.
    void expectNoWarning(const QString& what)
    {
        // Once the script is broken the trial fails, so what was broken before is never seen again.
        QString problem = ui.failures();
        for (const testing::ShownBox& box : ui.boxes()) {
            if (box.kind == testing::ShownBox::Kind::Message && (box.icon == ui::Icon::Warning || box.icon == ui::Icon::Critical))
                problem += box.shownTitle + QStringLiteral(": ") + box.text + u' ';
        }
        ui.clearBoxes();
        if (!problem.isEmpty())
            throw Unexpected(qPrintable(what + QStringLiteral(": ") + problem.simplified()));
    }
};

// The child's own account of the business, and the events that change it.
class Till {
public:
    Till(QString root, quint32 seed, int events) : m_root(std::move(root)), m_random(seed), m_eventsLeft(events) {}

    void run()
    {
        m_today = QDate(2026, 12, 27 + int(m_random.bounded(5u)));
        QDir().mkpath(m_root + QStringLiteral("/disk2/Program Files/Point of Sale"));
        QDir().mkpath(m_root + QStringLiteral("/dosdevices"));
        QFile::link(m_root + QStringLiteral("/disk2"), m_root + QStringLiteral("/dosdevices/d:"));
        m_run = std::make_unique<Run>(m_root, m_today);
        m_state.businessDate = m_today;
        say(QStringLiteral("state ") + m_state.text());
        start();
        makeReplicable();
        while (m_eventsLeft > 0) {
            const quint32 pick = m_random.bounded(100u);
            if (pick < 50)
                sell();
            else if (pick < 68)
                maintainCatalogue();
            else if (pick < 75)
                maintainStaff();
            else if (pick < 82)
                synchronise();
            else if (pick < 86)
                changeReplica();
            else
                closeDay();
        }
        say(QStringLiteral("done %1 writes %2 syncs").arg(writesSeen()).arg(syncsSeen()));
    }

private:
    // One business event: the states it may leave committed, the last one its end.
    template <class Act>
    void event(const QString& what, const std::vector<TillState>& may, Act act)
    {
        say(QStringLiteral("begin ") + what);
        for (const TillState& state : may)
            say(QStringLiteral("may ") + state.text());
        act();
        m_run->expectNoWarning(what);
        m_state = may.back();
        if (m_selfCheck) {
            // The child's account checked against the store after every event, to find where the
            // two part when a trial fails without a kill.
            const QString found = TillState::readFrom(*m_run->store);
            if (found != m_state.text())
                throw Unexpected(qPrintable(QStringLiteral("after %1 the store holds %2").arg(what, found)));
        }
        say(QStringLiteral("end ") + what);
        --m_eventsLeft;
    }

    QString nextId(QChar kind) { return QString(kind) + QString::number(++m_ids); }

    // MAKE DB REPLICABLE with a copy of the store in the Mercavia folder holding the first
    // products, then REPLICATE DATABASE onto drive D.
    void makeReplicable()
    {
        TillState copy;
        copy.businessDate = m_today;
        {
            const QString path = m_run->platform.drives().hostPath(replication::BackupWindow::kMercaviaCopy);
            QDir().mkpath(QFileInfo(path).path());
            auto mercavia = store::Store::open(path, m_today);
            store::RecordSource prices(*mercavia, QStringLiteral("setup"), QStringLiteral("tblProductPrice"));
            store::RecordSource stock(*mercavia, QStringLiteral("setup"), QStringLiteral("tblProductQuantity"));
            for (int i = 0; i < 4; ++i) {
                const TillState::Product p{nextId(u'P'), QStringLiteral("Item%1").arg(m_ids), Units(50 + m_random.bounded(900u)) * 100,
                    int(5 + m_random.bounded(40u))};
                prices.addNew();
                prices.setField(u"Code", p.code);
                prices.setField(u"ProductName", p.name);
                prices.setField(u"ProductPrice", store::Currency::fromUnits(p.price));
                prices.setField(u"VPrice", store::Currency::fromUnits(p.price / 2));
                prices.setField(u"ProdCathegory", kCategories.at(i));
                prices.update();
                stock.addNew();
                stock.setField(u"Code", p.code);
                stock.setField(u"QuantityBought", std::int16_t(p.onHand));
                stock.setField(u"QuantityOnHand", std::int16_t(p.onHand));
                stock.setField(u"QuantitySold", std::int16_t(0));
                stock.update();
                copy.products.push_back(p);
            }
        }
        click(m_main->cmdprevention);
        auto* backup = m_run->shown<replication::BackupWindow>("frmBackup");
        event(QStringLiteral("store made replicable"), {copy}, [&] {
            m_run->ui.answerInput(kMaster.toString());
            click(backup->cmdMakeDBRep);
        });
        event(QStringLiteral("replica made"), {m_state}, [&] {
            m_run->ui.answerInput(kMaster.toString());
            click(backup->cmdSpawn);
        });
        click(backup->cmdExit);
        m_main = m_run->shown<startup::MainWindow>("frmMain");
    }

    // A cashier's turn at the till: lines entered and taken back, sales completed or abandoned,
    // and back to the main menu, with or without an open sale.
    void sell()
    {
        m_run->passGate(m_main->cmdCashReg, "frmPassCash");
        auto* till = m_run->shown<cashregister::CashRegisterWindow>("frmCashRegister");
        till->CashierTime->stop();
        till->CashierTime_Timer();
        till->CashierTime_Timer();
        m_run->expectNoWarning(QStringLiteral("cash register opened"));
        const int actions = 1 + int(m_random.bounded(8u));
        for (int i = 0; i < actions && m_eventsLeft > 0; ++i) {
            const quint32 pick = m_random.bounded(100u);
            if (m_state.openSale.empty() || pick < 55)
                enterLine(till);
            else if (pick < 72)
                cancelLine(till, pick % 2 == 0);
            else if (pick < 90)
                complete(till);
            else
                abandonAtTheAmount(till);
        }
        TillState after = m_state;
        giveBack(after);
        const auto back = [&] { QTest::keyClick(till->txtProductCode, Qt::Key_F2); };
        if (m_state.openSale.empty())
            back();
        else
            event(QStringLiteral("back to the main menu with an open sale"), {after}, back);
        m_main = m_run->shown<startup::MainWindow>("frmMain");
    }

    void enterLine(cashregister::CashRegisterWindow* till)
    {
        std::vector<int> inStock;
        for (int i = 0; i < int(m_state.products.size()); ++i) {
            if (m_state.products[std::size_t(i)].onHand > 0)
                inStock.push_back(i);
        }
        if (inStock.empty())
            return;
        const auto& product = m_state.products[std::size_t(inStock[m_random.bounded(quint32(inStock.size()))])];
        const int units = 1 + int(m_random.bounded(quint32(std::min(product.onHand, 4))));
        TillState after = m_state;
        const TillState::Line line{product.code, product.name, units, product.price * units};
        after.openSale.push_back(line);
        after.today.push_back(line);
        after.product(product.code)->onHand -= units;
        after.totalItems += units;
        // The first line makes the tally row; every 30 days counted the tallies start again, after
        // the line.
        after.tallyDays = after.tallyDays.value_or(0);
        std::vector<TillState> may{after};
        if (*after.tallyDays >= 30) {
            after.tallyDays = 0;
            may.push_back(after);
        }
        event(QStringLiteral("line %1 x %2").arg(product.code).arg(units), may, [&] {
            type(till->txtProductCode, line.code);
            type(till->txtProductName, QString());
            type(till->txtQuantity, QString::number(units));
            QTest::keyClick(till->txtProductCode, Qt::Key_Return);
        });
    }

    // Takes back the units of `line` as cancelling does: the first stock row of its code, and the
    // first of today's lines of its code and units.
    static void takeBack(TillState& state, const TillState::Line& line, bool byNameAndCode)
    {
        TillState::Product* product = nullptr;
        for (auto& p : state.products) {
            if (p.code == line.code && (!byNameAndCode || p.name == line.name)) {
                product = &p;
                break;
            }
        }
        if (!product)
            product = state.product(line.code);
        if (product)
            product->onHand += line.units;
        for (auto it = state.today.begin(); it != state.today.end(); ++it) {
            if (it->code == line.code && it->units == line.units && (!byNameAndCode || it->name == line.name)) {
                state.today.erase(it);
                state.totalItems -= line.units;
                break;
            }
        }
    }

    // An abandoned sale: every line goes back.
    static void giveBack(TillState& state)
    {
        for (const TillState::Line& line : state.openSale)
            takeBack(state, line, true);
        state.openSale.clear();
    }

    void cancelLine(cashregister::CashRegisterWindow* till, bool byCode)
    {
        const std::size_t index = m_random.bounded(quint32(m_state.openSale.size()));
        const TillState::Line line = m_state.openSale[index];
        const QString answer = byCode ? line.code : line.name;
        // The first line carrying the answer is the one taken back.
        std::size_t first = 0;
        while ((byCode ? m_state.openSale[first].code : m_state.openSale[first].name) != answer)
            ++first;
        TillState after = m_state;
        const TillState::Line taken = after.openSale[first];
        after.openSale.erase(after.openSale.begin() + std::ptrdiff_t(first));
        takeBack(after, taken, false);
        event(QStringLiteral("cancel %1 by %2").arg(answer, byCode ? QStringLiteral("code") : QStringLiteral("name")), {after}, [&] {
            m_run->ui.answerInput(answer);
            till->txtProductCode->setFocus();
            QTest::keyClick(till->txtProductCode, byCode ? Qt::Key_C : Qt::Key_N, Qt::ControlModifier);
        });
    }

    void complete(cashregister::CashRegisterWindow* till)
    {
        Units subtotal = 0;
        for (const TillState::Line& line : m_state.openSale)
            subtotal += line.total;
        const Units total = subtotal + subtotal * m_state.taxPercent / 100;
        // The amount is typed in cents.
        const Units tendered = (total + 99) / 100 + Units(m_random.bounded(500u));
        TillState after = m_state;
        after.openSale.clear();
        after.dailySale += total;
        event(QStringLiteral("sale of %1").arg(total), {after}, [&] {
            m_run->ui.answerInput(QString::number(tendered));
            QTest::keyClick(till->txtProductCode, Qt::Key_End);
            if (till->cmdNewSale->isEnabled())
                click(till->cmdNewSale);
        });
    }

    // End, and Esc at the amount box: the sale is abandoned.
    void abandonAtTheAmount(cashregister::CashRegisterWindow* till)
    {
        TillState after = m_state;
        giveBack(after);
        event(QStringLiteral("sale abandoned at the amount"), {after}, [&] {
            m_run->ui.answerInput(QString());
            QTest::keyClick(till->txtProductCode, Qt::Key_End);
        });
    }

    // The products area: products added, deleted, restocked and renamed, suppliers, the tax rate.
    void maintainCatalogue()
    {
        m_run->passGate(m_main->cmdUpdDb, "frmPassUpd");
        auto* menu = m_run->shown<catalogue::ProductsMenuWindow>("updateProdutos");
        const int actions = 1 + int(m_random.bounded(4u));
        for (int i = 0; i < actions && m_eventsLeft > 0; ++i) {
            const quint32 pick = m_random.bounded(100u);
            if (pick < 55) {
                click(menu->cmdupdateProd);
                auto* w = m_run->shown<catalogue::ProductSupplierWindow>("frmUpdate");
                if (pick < 22 || m_state.products.size() < 3)
                    addProduct(w);
                else if (pick < 30)
                    deleteProduct(w);
                else if (pick < 42 || m_state.suppliers.empty())
                    addSupplier(w);
                else if (pick < 50)
                    updateSupplier(w);
                else
                    deleteSupplier(w);
                w->dbmExit->trigger();
            } else {
                click(menu->cmdUpdateCancel);
                auto* w = m_run->shown<catalogue::ProductUpdateWindow>("frmProdutosCancelados");
                if (pick < 88)
                    restock(w);
                else
                    changeTaxRate(w);
                click(w->cmdSair);
            }
            menu = m_run->shown<catalogue::ProductsMenuWindow>("updateProdutos");
        }
        click(menu->cmdExit);
        m_main = m_run->shown<startup::MainWindow>("frmMain");
    }

    void addProduct(catalogue::ProductSupplierWindow* w)
    {
        const QString code = nextId(u'P');
        const TillState::Product p{code, QStringLiteral("Item%1").arg(m_ids), Units(50 + m_random.bounded(900u)) * 100,
            int(1 + m_random.bounded(40u))};
        TillState after = m_state;
        after.products.push_back(p);
        event(QStringLiteral("product %1 added").arg(code), {after}, [&] {
            type(w->dbcboProdCode, p.code);
            type(w->dbcboProdName, p.name);
            type(w->txtProdPrice, QString::number(p.price / 100));
            type(w->txtVend, QString::number(p.price / 200));
            type(w->txtQtyBought, QString::number(p.onHand));
            type(w->cboCatheria, kCategories.at(int(m_random.bounded(quint32(kCategories.size())))));
            click(w->cmdAddNewProd);
        });
    }

    void deleteProduct(catalogue::ProductSupplierWindow* w)
    {
        const std::size_t index = m_random.bounded(quint32(m_state.products.size()));
        const TillState::Product p = m_state.products[index];
        TillState after = m_state;
        after.products.erase(after.products.begin() + std::ptrdiff_t(index));
        event(QStringLiteral("product %1 deleted").arg(p.code), {after}, [&] {
            type(w->dbcboProdCode, p.code);
            type(w->dbcboProdName, p.name);
            m_run->ui.answerMessage(ui::Button::Yes);
            click(w->cmdDelProd);
        });
    }

    void addSupplier(catalogue::ProductSupplierWindow* w)
    {
        const QString code = nextId(u'S');
        const TillState::Supplier s{QStringLiteral("Supplier%1").arg(m_ids), QStringLiteral("555-%1").arg(m_ids),
            QStringLiteral("%1 Main St").arg(m_ids)};
        TillState after = m_state;
        after.suppliers[code] = s;
        event(QStringLiteral("supplier %1 added").arg(code), {after}, [&] {
            type(w->dbcboSupCode, code);
            type(w->dbcboSupName, s.name);
            type(w->txtSupPhone, s.phone);
            type(w->txtSupAddr, s.address);
            click(w->cmdAddNewSup);
        });
    }

    std::pair<QString, TillState::Supplier> anySupplier()
    {
        auto it = m_state.suppliers.begin();
        std::advance(it, m_random.bounded(quint32(m_state.suppliers.size())));
        return *it;
    }

    void updateSupplier(catalogue::ProductSupplierWindow* w)
    {
        const auto [code, s] = anySupplier();
        TillState after = m_state;
        after.suppliers[code].phone = QStringLiteral("555-9%1").arg(m_random.bounded(1000u));
        event(QStringLiteral("supplier %1 updated").arg(code), {after}, [&] {
            type(w->dbcboSupCode, code);
            type(w->dbcboSupName, QString());
            click(w->cmdShowSup);
            type(w->txtSupPhone, after.suppliers[code].phone);
            click(w->cmdSupUpd);
        });
    }

    void deleteSupplier(catalogue::ProductSupplierWindow* w)
    {
        const auto [code, s] = anySupplier();
        TillState after = m_state;
        after.suppliers.erase(code);
        event(QStringLiteral("supplier %1 deleted").arg(code), {after}, [&] {
            type(w->dbcboSupCode, code);
            type(w->dbcboSupName, s.name);
            m_run->ui.answerMessage(ui::Button::Yes);
            click(w->cmdDelSup);
        });
    }

    // UPDATE PRODUCT on the product shown: a restock, and now and then a new name.
    void restock(catalogue::ProductUpdateWindow* w)
    {
        if (m_state.products.empty())
            return;
        const std::size_t index = m_random.bounded(quint32(m_state.products.size()));
        const TillState::Product p = m_state.products[index];
        const int units = 1 + int(m_random.bounded(30u));
        TillState after = m_state;
        TillState::Product& changed = after.products[index];
        changed.onHand += units;
        if (m_random.bounded(3u) == 0)
            changed.name = QStringLiteral("Item%1r%2").arg(p.code.mid(1)).arg(++m_ids);
        event(QStringLiteral("product %1 restocked with %2").arg(p.code).arg(units), {after}, [&] {
            type(w->dbcboProdCode, p.code);
            type(w->dbcboProdName, QString());
            click(w->cmdShowProd);
            type(w->dbcboProdName, changed.name);
            type(w->txtQtyBought, QString::number(units));
            click(w->cmdProdUpd);
        });
    }

    void changeTaxRate(catalogue::ProductUpdateWindow* w)
    {
        static constexpr int kRates[] = {0, 5, 6, 7, 8, 10, 15};
        const int rate = kRates[m_random.bounded(7u)];
        TillState after = m_state;
        after.taxPercent = rate;
        event(QStringLiteral("tax rate %1").arg(rate), {after}, [&] {
            m_run->ui.answerInput(QString::number(rate));
            click(w->Command1);
        });
    }

    // The employee list: an employee added, or one's phone number changed.
    void maintainStaff()
    {
        m_run->passGate(m_main->cmdTutor, "frmPassEmployee");
        QWidget* w = m_run->shown("frmEmployees");
        if (m_state.employees.empty() || m_random.bounded(2u) == 0) {
            const QString ss = QString::number(100000 + ++m_ids);
            const TillState::Employee e{QStringLiteral("Last%1").arg(m_ids), QStringLiteral("First%1").arg(m_ids),
                QStringLiteral("555-0%1").arg(m_ids), QStringLiteral("pw") + ss};
            TillState after = m_state;
            after.employees[ss] = e;
            event(QStringLiteral("employee %1 added").arg(ss), {after}, [&] {
                const std::pair<const char*, QString> entries[] = {{"dbcboProdCode", ss}, {"dbcboProdName", e.lastName},
                    {"txtProdPrice", e.firstName}, {"txtCategory", QStringLiteral("cashier")}, {"txtQtyBought", QStringLiteral("700")},
                    {"Tempo", QStringLiteral("1")}, {"totHoras", QStringLiteral("20")}, {"txtSupAddr", QStringLiteral("3 Far Rd")},
                    {"txtSupPhone", e.phone}, {"passeword", e.password}, {"txtuso", QStringLiteral("C")}};
                for (const auto& [name, text] : entries)
                    type(child<QWidget>(w, name), text);
                click(child<QPushButton>(w, "cmdAddNewProd"));
            });
        } else {
            auto it = m_state.employees.begin();
            std::advance(it, m_random.bounded(quint32(m_state.employees.size())));
            const QString ss = it->first;
            TillState after = m_state;
            after.employees[ss].phone = QStringLiteral("555-7%1").arg(m_random.bounded(1000u));
            event(QStringLiteral("employee %1 updated").arg(ss), {after}, [&] {
                type(child<QWidget>(w, "dbcboProdCode"), ss);
                type(child<QWidget>(w, "dbcboProdName"), QString());
                click(child<QPushButton>(w, "cmdShowProd"));
                type(child<QWidget>(w, "txtSupPhone"), after.employees[ss].phone);
                click(child<QPushButton>(w, "cmdProdUpd"));
            });
        }
        child<QAction>(w, "dbmExit")->trigger();
        m_main = m_run->shown<startup::MainWindow>("frmMain");
    }

    // A second till writes in the replica: a supplier of its own, which the next synchronisation
    // brings into the store.
    void changeReplica()
    {
        const QString code = nextId(u'R');
        const TillState::Supplier s{QStringLiteral("Replica%1").arg(m_ids), QStringLiteral("555-8%1").arg(m_ids), QStringLiteral("Far away")};
        {
            auto replica = store::Store::open(replicaFileUnder(m_root), m_today);
            store::RecordSource suppliers(*replica, QStringLiteral("second till"), QStringLiteral("tblSuplier"));
            suppliers.addNew();
            suppliers.setField(u"Code", code);
            suppliers.setField(u"Supplier", s.name);
            suppliers.setField(u"Phone#", s.phone);
            suppliers.setField(u"Address", s.address);
            suppliers.update();
        }
        say(QStringLiteral("replica ") + code);
        m_onReplica[code] = s;
        --m_eventsLeft;
    }

    void synchronise()
    {
        click(m_main->cmdprevention);
        auto* backup = m_run->shown<replication::BackupWindow>("frmBackup");
        TillState after = m_state;
        for (const auto& [code, s] : m_onReplica)
            after.suppliers[code] = s;
        event(QStringLiteral("synchronised"), {after}, [&] { click(backup->cmdSynch); });
        m_onReplica.clear();
        click(backup->cmdExit);
        m_main = m_run->shown<startup::MainWindow>("frmMain");
    }

    // EXIT on the main menu: the day closed (or, now and then, the program ended without closing
    // it), and the program started again the next day.
    void closeDay()
    {
        const bool closing = m_random.bounded(8u) != 0;
        std::vector<TillState> may;
        TillState after = m_state;
        const int businessYear = m_today.year();
        if (closing) {
            if (!after.year) {
                after.year = TillState::Year{businessYear, {}, 0};
                may.push_back(after);
            }
            if (after.year->year == businessYear) {
                const std::size_t month = std::size_t(m_today.month() - 1);
                after.year->months[month] += after.dailySale;
                after.year->total += after.dailySale;
                after.today.clear();
                after.dailySale = 0;
                after.totalItems = 0;
            } else if (after.year->year + 1 == businessYear) {
                TillState::LastYear last{after.year->months, 0};
                for (const Units m : last.months)
                    last.total += m;
                after.lastYear = last;
                after.year.reset();
            }
        }
        may.push_back(after);
        event(closing ? QStringLiteral("day %1 closed").arg(m_today.toString(Qt::ISODate)) : QStringLiteral("program ended"), may, [&] {
            m_run->ui.answerMessage(ui::Button::Yes);
            m_run->ui.answerMessage(closing ? ui::Button::Yes : ui::Button::No);
            click(m_main->cmdSair);
            if (!m_run->ui.ended())
                throw Unexpected("the program did not end");
        });
        m_run.reset();
        m_today = m_today.addDays(1 + int(m_random.bounded(2u)));
        m_run = std::make_unique<Run>(m_root, m_today);
        start();
    }

    // The program started: on a new day the day is counted and the business date stamped.
    void start()
    {
        TillState after = m_state;
        if (after.businessDate != m_today) {
            after.tallyDays = after.tallyDays.value_or(0) + 1;
            after.businessDate = m_today;
        }
        event(QStringLiteral("started on %1").arg(m_today.toString(Qt::ISODate)), {after}, [&] { m_main = m_run->start(); });
    }

    QString m_root;
    QRandomGenerator m_random;
    int m_eventsLeft;
    int m_ids = 0;
    QDate m_today;
    TillState m_state;
    std::map<QString, TillState::Supplier> m_onReplica;
    bool m_selfCheck = qEnvironmentVariableIsSet("POS_TILL_CRASH_SELFCHECK");
    std::unique_ptr<Run> m_run;
    startup::MainWindow* m_main = nullptr;
};

} // namespace

QString storeFileUnder(const QString& root)
{
    return platform::Drives(root).hostPath(kStorePath);
}

QString replicaFileUnder(const QString& root)
{
    return platform::Drives(root).hostPath(replication::BackupWindow::kReplica);
}

// Every unit the store accounts for: in stock, on today's lines, on the open sale.
int unitsAccounted(store::Store& file)
{
    int units = 0;
    const std::pair<const char*, const char16_t*> columns[] = {
        {"tblProductQuantity", u"QuantityOnHand"}, {"daillySale", u"Quantidade"}, {"tblReceipt", u"pQty"}};
    for (const auto& [table, field] : columns) {
        store::RecordSource rows(file, QStringLiteral("check"), QString::fromLatin1(table));
        for (; !rows.atEnd(); rows.moveNext())
            units += rows.field(field).isNull() ? 0 : rows.field(field).toWhole();
    }
    return units;
}

int unitsOnTheOpenSale(store::Store& file)
{
    int units = 0;
    store::RecordSource rows(file, QStringLiteral("check"), QStringLiteral("tblReceipt"));
    for (; !rows.atEnd(); rows.moveNext())
        units += rows.field(u"pQty").isNull() ? 0 : rows.field(u"pQty").toWhole();
    return units;
}

QString sellOneUnit(const QString& root, QDate today, SaleAfterKill& sale)
{
    sale = SaleAfterKill();
    try {
        Run run(root, today);
        // A line on the open sale is counted twice, on today's lines and on the sale, until the
        // sale ends: settled, completed or given back, its units count once.
        const int unitsLeft = unitsAccounted(*run.store) - unitsOnTheOpenSale(*run.store);
        const cashregister::SaleRecovery recovery = cashregister::recoverInterruptedSale(
            *run.store, run.platform.printer(), run.clock.current(), run.context.locale);
        if (recovery.outcome == cashregister::SaleRecovery::Outcome::NotRecovered)
            return QStringLiteral("the sale the kill left open was not settled: ") + recovery.failure;
        sale.recovered = recovery.outcome == cashregister::SaleRecovery::Outcome::Completed
            || recovery.outcome == cashregister::SaleRecovery::Outcome::GivenBack;
        const QString beforeText = TillState::readFrom(*run.store);
        const int unitsBefore = unitsAccounted(*run.store);
        if (unitsBefore != unitsLeft)
            return QStringLiteral("settling the open sale lost %1 units").arg(unitsLeft - unitsBefore);
        startup::MainWindow* menu = run.start();
        run.expectNoWarning(QStringLiteral("start"));
        run.passGate(menu->cmdCashReg, "frmPassCash");
        auto* till = run.shown<cashregister::CashRegisterWindow>("frmCashRegister");
        till->CashierTime->stop();
        till->CashierTime_Timer();
        till->CashierTime_Timer();
        // The first product in stock, and what the day's takings were.
        QString code;
        Units price = 0;
        double tax = 0;
        Units dailySale = 0;
        {
            store::RecordSource prices(*run.store, QStringLiteral("check"), QStringLiteral("tblProductPrice"));
            store::RecordSource stock(*run.store, QStringLiteral("check"), QStringLiteral("tblProductQuantity"));
            for (; !prices.atEnd() && !stock.atEnd(); prices.moveNext(), stock.moveNext()) {
                if (stock.field(u"QuantityOnHand").toWhole() > 0) {
                    code = prices.field(u"Code").toText();
                    price = prices.field(u"ProductPrice").toCurrency().units();
                    break;
                }
            }
            store::RecordSource rate(*run.store, QStringLiteral("check"), QStringLiteral("tblTax"));
            tax = rate.field(u"Tax").toNumber();
            store::RecordSource totals(*run.store, QStringLiteral("check"), QStringLiteral("tblDailySale"));
            dailySale = totals.field(u"DailySale").toCurrency().units();
        }
        if (code.isEmpty()) {
            QTest::keyClick(till->txtProductCode, Qt::Key_F2);
            run.expectNoWarning(QStringLiteral("nothing to sell"));
            return {};
        }
        type(till->txtProductCode, code);
        type(till->txtProductName, QString());
        type(till->txtQuantity, QStringLiteral("1"));
        QTest::keyClick(till->txtProductCode, Qt::Key_Return);
        run.ui.answerInput(QStringLiteral("9999999"));
        QTest::keyClick(till->txtProductCode, Qt::Key_End);
        run.expectNoWarning(QStringLiteral("the sale"));
        const Units total = price + Units(std::llround(double(price) * tax));
        store::RecordSource totals(*run.store, QStringLiteral("check"), QStringLiteral("tblDailySale"));
        const Units booked = totals.field(u"DailySale").toCurrency().units() - dailySale;
        store::RecordSource receipt(*run.store, QStringLiteral("check"), QStringLiteral("tblReceipt"));
        if (booked != total)
            return QStringLiteral("the sale of %1 at %2 booked %3 instead of %4 (before: %5)").arg(code).arg(price).arg(booked).arg(total).arg(beforeText);
        if (receipt.recordCount() != 0)
            return QStringLiteral("the open sale kept %1 rows after the sale").arg(receipt.recordCount());
        QTest::keyClick(till->txtProductCode, Qt::Key_F2);
        run.expectNoWarning(QStringLiteral("back to the main menu"));
        sale.sold = true;
        if (const int lost = unitsBefore - unitsAccounted(*run.store); lost != 0)
            return QStringLiteral("the sale lost %1 units").arg(lost);
        return {};
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

int runTillChild(const QString& root, quint32 seed, KillAt when, int n, int events)
{
    armKillSwitch(when, n);
    ui::loadArtwork();
    try {
        Till(root, seed, events).run();
    } catch (const std::exception& e) {
        say(QStringLiteral("error ") + QString::fromUtf8(e.what()));
        return 3;
    }
    return 0;
}

} // namespace crashtest
