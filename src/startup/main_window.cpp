#include "startup/main_window.h"

#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "help/html_help.h"
#include "app/window_manager.h"
#include "store/error.h"
#include "store/record_source.h"
#include "ui/artwork.h"
#include "ui/bound_date_picker.h"
#include "ui/captions.h"
#include "ui/fonts.h"
#include "ui/named.h"
#include "ui/services.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace startup {
MainWindow::MainWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(QStringLiteral("                ************WELCOME TO VANTORAL\u00ae POINT OF SALE SYSTEM************"));

    dailly = new store::RecordSource(context.store, QStringLiteral("dailly"), QStringLiteral("tblDailySale"), this);
    totalSale = new store::RecordSource(context.store, QStringLiteral("totalSale"), QStringLiteral("tblDailySale"), this);
    YearSale = new store::RecordSource(context.store, QStringLiteral("YearSale"), QStringLiteral("YearSales"), this);
    lastYear = new store::RecordSource(context.store, QStringLiteral("lastYear"), QStringLiteral("LastYearSales"), this);
    dailySaledata = new store::RecordSource(context.store, QStringLiteral("dailySaledata"), QStringLiteral("daillySale"), this);

    Image1 = ui::makeNamed<QLabel>(QStringLiteral("Image1"), this);
    Image1->setPixmap(ui::artwork(u"basket.png"));
    Image1->setAccessibleName(QStringLiteral("Vantoral logo"));
    auto* heading = ui::makeNamed<QLabel>(QStringLiteral("lblHeading"), QStringLiteral("Vantoral\u00ae Point of Sale"), this);
    heading->setFont(ui::headingFont(heading->font(), 18));
    heading->setStyleSheet(QStringLiteral("color: #2e7d32;"));

    Line1 = ui::makeNamed<QFrame>(QStringLiteral("Line1"), this);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    cmdCashReg = ui::makeNamed<QPushButton>(QStringLiteral("cmdCashReg"), QStringLiteral("OPEN CASH REGISTER"), this);
    cmdUpdDb = ui::makeNamed<QPushButton>(QStringLiteral("cmdUpdDb"), QStringLiteral(" PRODUCTS"), this);
    cmdTutor = ui::makeNamed<QPushButton>(QStringLiteral("cmdTutor"), QStringLiteral("EMPLOYEE LIST"), this);
    cmdViewGraph = ui::makeNamed<QPushButton>(QStringLiteral("cmdViewGraph"), QStringLiteral("SALES ANALYSIS"), this);
    Command1 = ui::makeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("ITEMS SOLD TODAY"), this);
    cmdprevention = ui::makeNamed<QPushButton>(QStringLiteral("cmdprevention"), QStringLiteral("SYNCHRONIZATION"), this);
    for (QPushButton* button : {cmdCashReg, cmdUpdDb, cmdTutor, cmdViewGraph, Command1, cmdprevention})
        button->setMinimumSize(220, 44);

    Frame1 = ui::makeNamed<QFrame>(QStringLiteral("Frame1"), this);
    Frame1->setFrameShape(QFrame::StyledPanel);
    Command2 = ui::makeNamed<QPushButton>(QStringLiteral("Command2"), QStringLiteral("&ABOUT"), Frame1);
    cmdajuda = ui::makeNamed<QPushButton>(QStringLiteral("cmdajuda"), QStringLiteral("&HELP"), Frame1);
    cmdSair = ui::makeNamed<QPushButton>(QStringLiteral("cmdSair"), QStringLiteral("&EXIT"), Frame1);
    for (QPushButton* button : {Command2, cmdajuda, cmdSair})
        button->setMinimumSize(150, 36);
    auto* frameLayout = new QHBoxLayout(Frame1);
    frameLayout->addWidget(Command2);
    frameLayout->addWidget(cmdajuda);
    frameLayout->addWidget(cmdSair);

    // The business date of this run, from the row the splash has just stamped. Not shown.
    Dta = ui::makeNamed<ui::BoundDatePicker>(QStringLiteral("Dta"), *dailly, QStringLiteral("tDate"), this);
    Dta->setAccessibleName(QStringLiteral("Business date"));
    // Without a stored date the picker shows the day the menu opened, as a new date picker does.
    if (!dailly->hasCurrentRow() || dailly->field(u"tDate").isNull())
        Dta->setDate(context.clock.today());
    Dta->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addWidget(heading, 1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(14);
    grid->addWidget(cmdCashReg, 0, 0);
    grid->addWidget(cmdViewGraph, 0, 1);
    grid->addWidget(cmdUpdDb, 1, 0);
    grid->addWidget(Command1, 1, 1);
    grid->addWidget(cmdTutor, 2, 0);
    grid->addWidget(cmdprevention, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 18, 28, 18);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addWidget(Line1);
    layout->addLayout(grid);
    layout->addWidget(Frame1);

    connect(cmdCashReg, &QPushButton::clicked, this, &MainWindow::cmdCashReg_Click);
    connect(cmdUpdDb, &QPushButton::clicked, this, &MainWindow::cmdUpdDb_Click);
    connect(cmdTutor, &QPushButton::clicked, this, &MainWindow::cmdTutor_Click);
    connect(cmdViewGraph, &QPushButton::clicked, this, &MainWindow::cmdViewGraph_Click);
    connect(Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(cmdprevention, &QPushButton::clicked, this, &MainWindow::cmdprevention_Click);
    connect(Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(cmdajuda, &QPushButton::clicked, this, &MainWindow::cmdajuda_Click);
    connect(cmdSair, &QPushButton::clicked, this, &MainWindow::cmdSair_Click);

    ui::nameControls(this);
    fixSize();
}

MainWindow::~MainWindow() = default;

void MainWindow::load()
{
    // Centred across, a third of the way down; whole-number divisions that drop the remainder.
    // The window's size is its outer size, frame and title bar included, as far as the window
    // system knows it yet.
    const QSize screen = context().ui.screenSize();
    const QSize window = frameGeometry().size();
    const int left = screen.width() / 2 - window.width() / 2;
    const int top = screen.height() / 3 - window.height() / 2;
    move(left, top);

    context().app.helpFile = QStringLiteral("Sistema.chm::Sistema.txt");
}

bool MainWindow::showIfPresent(const QString& name)
{
    if (!context().windows.isRegistered(name))
        return false;
    try {
        return context().windows.show(name) != nullptr;
    } catch (const store::Error& error) {
        // A screen whose store cannot be read leaves the menu as it was, and says why, as the
        // sales-analysis menu does for its charts.
        context().ui.message(error.message(), context().app.title, ui::Icon::Critical, ui::Buttons::Ok);
        return false;
    } catch (...) {
        return false;
    }
}

void MainWindow::showScreen(const QString& name)
{
    if (showIfPresent(name))
        context().windows.hide(objectName());
}

void MainWindow::cmdCashReg_Click() { showIfPresent(QStringLiteral("frmPassCash")); }
void MainWindow::cmdUpdDb_Click() { showIfPresent(QStringLiteral("frmPassUpd")); }
void MainWindow::cmdTutor_Click() { showIfPresent(QStringLiteral("frmPassEmployee")); }
void MainWindow::cmdViewGraph_Click() { showScreen(QStringLiteral("frmGraphsCall")); }
void MainWindow::Command1_Click() { showScreen(QStringLiteral("daillySale")); }
void MainWindow::cmdprevention_Click() { showScreen(QStringLiteral("frmBackup")); }
void MainWindow::Command2_Click() { showIfPresent(QStringLiteral("frmSobre")); }

void MainWindow::cmdajuda_Click()
{
    help::showHelpContents(context(), m_help, this);
}

void MainWindow::closeRequested()
{
    cmdSair_Click();
}

} // namespace startup
