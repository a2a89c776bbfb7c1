// The employee window's life, its controls, menu and layout, its help and its way back, and the
// commands SHOW EMPLOYEE, DELETE EMPLOYEE and CLEAR SCREEN.
#include "staff/employee_window.h"

#include "app/app_info.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "help/html_help.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/value.h"
#include "ui/bound_list.h"
#include "ui/captions.h"
#include "ui/digits_only_edit.h"
#include "ui/entry_form.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace staff {
namespace {

constexpr QStringView kCaption = u"                                      ******WELCOME TO VANTORAL\u00ae EMPLOYEE SYSTEM******";

constexpr QStringView kOneBoxText = u"Please the SS# of the person to be shown.";
constexpr QStringView kOneBoxTitle = u"Please Select SS#";
constexpr QStringView kNoSSText = u"No Employee with this SS# found!";
constexpr QStringView kNoSSTitle = u"No Employee Found!";
constexpr QStringView kNoNameText = u"Employee was not found.";
constexpr QStringView kNoNameTitle = u"Employee was not found";
constexpr QStringView kDeleteMissText = u"Not person was found with this SS# or last name.";
constexpr QStringView kDeleteMissTitle = u"No Employee Found";
constexpr QStringView kConfirmText = u"Are you sure you want to delete this employee from the database?";
constexpr QStringView kConfirmTitle = u"Delete Employee?";

} // namespace

EmployeeWindow::EmployeeWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(kCaption.toString());

    datProdPrice = new store::RecordSource(context.store, QStringLiteral("datProdPrice"), QStringLiteral("Employees"), this);
    datPass = new store::RecordSource(context.store, QStringLiteral("datPass"), QStringLiteral("Employees"), this);

    menuBar = ui::makeNamed<QMenuBar>(QStringLiteral("menuBar"), this);
    menuBar->setAccessibleName(QStringLiteral("Menu"));
    menuBar->setNativeMenuBar(false);
    dbmMenu = menuBar->addMenu(QStringLiteral("&Updade System"));
    dbmMenu->setObjectName(QStringLiteral("dbmMenu"));
    dbmHelp = ui::makeAction(dbmMenu, QStringLiteral("dbmHelp"), QStringLiteral("&Help"), QKeySequence(Qt::Key_F1));
    dbmExit = ui::makeAction(dbmMenu, QStringLiteral("dbmExit"), QStringLiteral("&Back to Main System"), QKeySequence(Qt::Key_F2));

    buildControls();
    layOut();

    connect(dbmHelp, &QAction::triggered, this, &EmployeeWindow::dbmHelp_Click);
    connect(dbmExit, &QAction::triggered, this, &EmployeeWindow::dbmExit_Click);
    connect(cmdAddNewProd, &QPushButton::clicked, this, &EmployeeWindow::cmdAddNewProd_Click);
    connect(cmdClearProd, &QPushButton::clicked, this, &EmployeeWindow::cmdClearProd_Click);
    connect(cmdShowProd, &QPushButton::clicked, this, &EmployeeWindow::cmdShowProd_Click);
    connect(cmdProdUpd, &QPushButton::clicked, this, &EmployeeWindow::cmdProdUpd_Click);
    connect(cmdDelProd, &QPushButton::clicked, this, &EmployeeWindow::cmdDelProd_Click);

    ui::nameControls(this);
    fixSize();
}

EmployeeWindow::~EmployeeWindow() = default;

void EmployeeWindow::buildControls()
{
    lblSS = ui::makeCaption(QStringLiteral("lblSS"), QStringLiteral("SS#:"), this);
    dbcboProdCode = ui::makeList(QStringLiteral("dbcboProdCode"), *datProdPrice, QStringLiteral("SS#"), this);
    lblLastName = ui::makeCaption(QStringLiteral("lblLastName"), QStringLiteral("Last Name:"), this);
    dbcboProdName = ui::makeList(QStringLiteral("dbcboProdName"), *datProdPrice, QStringLiteral("Sobrenome"), this);
    lblFirstName = ui::makeCaption(QStringLiteral("lblFirstName"), QStringLiteral("First Name:"), this);
    txtProdPrice = ui::makeNamed<QLineEdit>(QStringLiteral("txtProdPrice"), this);
    lblJobTitle = ui::makeCaption(QStringLiteral("lblJobTitle"), QStringLiteral("Job Title:"), this);
    txtCategory = ui::makeNamed<QLineEdit>(QStringLiteral("txtCategory"), this);
    lblSalary = ui::makeCaption(QStringLiteral("lblSalary"), QStringLiteral("Salary:"), this);
    txtQtyBought = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("txtQtyBought"), this);
    lblYears = ui::makeCaption(QStringLiteral("lblYears"), QStringLiteral("Years in the Comp:"), this);
    Tempo = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("Tempo"), this);
    lblHours = ui::makeCaption(QStringLiteral("lblHours"), QStringLiteral("Weekly Hours:"), this);
    totHoras = ui::makeNamed<ui::DigitsOnlyEdit>(QStringLiteral("totHoras"), this);

    lblName = ui::makeCaption(QStringLiteral("lblName"), QStringLiteral("Name:"), this);
    lblNome = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblNome"), this);
    lblNome->setFrameShape(QFrame::Panel);
    lblNome->setFrameShadow(QFrame::Sunken);
    lblNome->setFixedHeight(26);
    lblAddress = ui::makeCaption(QStringLiteral("lblAddress"), QStringLiteral("Address:"), this);
    txtSupAddr = ui::makeNamed<QPlainTextEdit>(QStringLiteral("txtSupAddr"), this);
    // Tab leaves the address for the next box, as in every other box.
    txtSupAddr->setTabChangesFocus(true);
    txtSupAddr->setFixedHeight(66);
    lblPhone = ui::makeCaption(QStringLiteral("lblPhone"), QStringLiteral("Phone#:"), this);
    txtSupPhone = ui::makeNamed<QLineEdit>(QStringLiteral("txtSupPhone"), this);
    lblPassword = ui::makeCaption(QStringLiteral("lblPassword"), QStringLiteral("Password:"), this);
    passeword = ui::makeNamed<QLineEdit>(QStringLiteral("passeword"), this);
    lblUsage = ui::makeCaption(QStringLiteral("lblUsage"), QStringLiteral("Select usage:"), this);
    txtuso = ui::makeNamed<QComboBox>(QStringLiteral("txtuso"), this);
    txtuso->setEditable(true);
    // What is typed stays as typed: neither completed from the list nor added to it.
    txtuso->setInsertPolicy(QComboBox::NoInsert);
    txtuso->setCompleter(nullptr);

    cmdAddNewProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdAddNewProd"), QStringLiteral("NEW EMPLOYEE"), this);
    cmdClearProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdClearProd"), QStringLiteral("CLEAR SCREEN"), this);
    cmdShowProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdShowProd"), QStringLiteral("SHOW EMPLOYEE"), this);
    cmdProdUpd = ui::makeNamed<QPushButton>(QStringLiteral("cmdProdUpd"), QStringLiteral("UPDATE EMPLOYEE"), this);
    cmdDelProd = ui::makeNamed<QPushButton>(QStringLiteral("cmdDelProd"), QStringLiteral("DELETE EMPLOYEE"), this);
    cmdProdUpd->setEnabled(false);

    myFrame = ui::makeNamed<QFrame>(QStringLiteral("myFrame"), this);
    myFrame->setFrameShape(QFrame::Box);
    myFrame->setFrameShadow(QFrame::Sunken);
    Image1 = ui::makeNamed<QLabel>(QStringLiteral("Image1"), myFrame);
    Image1->setPixmap(QPixmap(QStringLiteral(":/artwork/basket.png")));
    Image1->setAccessibleName(QStringLiteral("Vantoral logo"));
    Image1->setAlignment(Qt::AlignCenter);
    auto* framed = new QVBoxLayout(myFrame);
    framed->setContentsMargins(6, 6, 6, 6);
    framed->addWidget(Image1);
    Line1 = ui::makeLine(QStringLiteral("Line1"), false, this);
    Line2 = ui::makeLine(QStringLiteral("Line2"), false, this);
}

void EmployeeWindow::layOut()
{
    auto* left = ui::entryGrid({{lblSS, dbcboProdCode}, {lblLastName, dbcboProdName}, {lblFirstName, txtProdPrice},
        {lblJobTitle, txtCategory}, {lblSalary, txtQtyBought}, {lblYears, Tempo}, {lblHours, totHoras}});
    auto* right = ui::entryGrid({{lblName, lblNome}, {lblAddress, txtSupAddr}, {lblPhone, txtSupPhone}, {lblPassword, passeword},
        {lblUsage, txtuso}});
    // The rows keep to the top; the shorter column does not spread its rows out.
    for (QGridLayout* grid : {left, right})
        grid->setRowStretch(grid->rowCount(), 1);

    for (QWidget* box : std::initializer_list<QWidget*>{dbcboProdCode, dbcboProdName, txtProdPrice, txtCategory, txtQtyBought, Tempo,
             totHoras, lblNome, txtSupAddr, txtSupPhone, passeword, txtuso})
        box->setMinimumWidth(200);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(30);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(myFrame);
    top->addStretch();

    for (QPushButton* button : {cmdAddNewProd, cmdClearProd, cmdShowProd, cmdProdUpd, cmdDelProd}) {
        button->setMinimumHeight(34);
        button->setMinimumWidth(170);
    }
    auto* buttons = new QGridLayout;
    buttons->setHorizontalSpacing(40);
    buttons->setVerticalSpacing(8);
    buttons->addWidget(cmdShowProd, 0, 0);
    buttons->addWidget(cmdProdUpd, 0, 2);
    buttons->addWidget(cmdClearProd, 1, 1);
    buttons->addWidget(cmdAddNewProd, 2, 0);
    buttons->addWidget(cmdDelProd, 2, 2);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addLayout(buttons);
    buttonRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(24, 12, 24, 16);
    layout->setSpacing(12);
    layout->addLayout(top);
    layout->addWidget(Line1);
    layout->addLayout(columns);
    layout->addWidget(Line2);
    layout->addLayout(buttonRow);

    // The keyboard goes down the left column, then down the right one, then over the buttons.
    QWidget* order[] = {dbcboProdCode, dbcboProdName, txtProdPrice, txtCategory, txtQtyBought, Tempo, totHoras, txtSupAddr, txtSupPhone,
        passeword, txtuso, cmdAddNewProd, cmdClearProd, cmdShowProd, cmdProdUpd, cmdDelProd};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void EmployeeWindow::load()
{
    try {
        centreOnScreen();
        // The SS# box takes digits only, as the salary, years and hours boxes do from the moment
        // they are made.
        auto* digits = new ui::DigitsOnlyEdit(dbcboProdCode);
        dbcboProdCode->setLineEdit(digits);
        dbcboProdCode->setCompleter(nullptr);
        for (QStringView code : kUsageCodes)
            txtuso->addItem(code.toString());
        txtuso->setCurrentIndex(-1);
        txtuso->setEditText(QString());
    } catch (const std::exception&) {
        // The rest of the load is left undone; the window is still shown.
    }
}

void EmployeeWindow::dbmHelp_Click()
{
    try {
        help::showHelpContents(context(), m_help, this);
    } catch (const std::exception&) {
        // Without help the window goes on as it was.
    }
}

void EmployeeWindow::dbmExit_Click()
{
    try {
        context().windows.show(QStringLiteral("frmMain"));
    } catch (const std::exception&) {
        // Without the main menu to go to, the window still closes.
    }
    context().windows.unload(objectName());
}

void EmployeeWindow::closeRequested()
{
    dbmExit_Click();
}

std::optional<int> EmployeeWindow::search(const std::function<bool()>& matches)
{
    datProdPrice->moveFirst();
    for (int row = 0; row < datProdPrice->recordCount(); ++row) {
        if (matches())
            return row;
        if (row + 1 == datProdPrice->recordCount())
            break;
        datProdPrice->moveNext();
    }
    return std::nullopt;
}

bool EmployeeWindow::holds(const store::Value& field, const QString& text)
{
    return !field.isNull() && field.toText() == text;
}

bool EmployeeWindow::onSS() const
{
    return holds(datProdPrice->field(u"SS#"), dbcboProdCode->text());
}

bool EmployeeWindow::onLastName() const
{
    return holds(datProdPrice->field(u"Sobrenome"), dbcboProdName->text());
}

void EmployeeWindow::cmdShowProd_Click()
{
    ui::Services& boxes = context().ui;
    cmdProdUpd->setEnabled(false);
    m_shownRow.reset();
    try {
        if (datProdPrice->recordCount() < 1)
            return;
        datProdPrice->moveFirst();
        const QString ss = dbcboProdCode->text();
        const QString lastName = dbcboProdName->text();
        if (ss.isEmpty() == lastName.isEmpty()) {
            boxes.message(kOneBoxText.toString(), kOneBoxTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
            return;
        }
        std::optional<int> found;
        if (!ss.isEmpty()) {
            found = search([this] { return onSS(); });
            if (!found)
                boxes.message(kNoSSText.toString(), kNoSSTitle.toString(), ui::Icon::None, ui::Buttons::Ok);
            else
                dbcboProdName->setText(datProdPrice->field(u"Sobrenome").toText());
        } else {
            found = search([this] { return onLastName(); });
            if (!found)
                boxes.message(kNoNameText.toString(), kNoNameTitle.toString(), ui::Icon::Information, ui::Buttons::Ok);
            else
                dbcboProdCode->setText(datProdPrice->field(u"Ss#").toText());
        }
        if (!found)
            return;
        // A field with no value ends the command here, as any failure of the store does.
        auto text = [this](QStringView field) {
            const store::Value value = datProdPrice->field(field);
            if (value.isNull())
                throw store::Error(store::ErrorKind::Conversion, QStringLiteral("the field has no value"));
            return value.toText();
        };
        txtCategory->setText(text(u"cargo"));
        txtProdPrice->setText(text(u"Nome"));
        totHoras->setText(text(u"TotalHoras"));
        Tempo->setText(text(u"Tempo"));
        txtQtyBought->setText(text(u"Salario"));
        txtSupAddr->setPlainText(text(u"Endereco"));
        txtSupPhone->setText(text(u"Telefone"));
        lblNome->setText(text(u"Nome"));
        m_shownRow = found;
        m_shownSS = datProdPrice->field(u"SS#").toText();
        cmdProdUpd->setEnabled(true);
        dbcboProdCode->setFocus();
    } catch (const std::exception&) {
        // Show ends without a word, keeping what it has filled.
    }
}

void EmployeeWindow::cmdDelProd_Click()
{
    ui::Services& boxes = context().ui;
    try {
        if (datProdPrice->recordCount() >= 1) {
            // An empty box names nobody: it does not pick out an employee whose field is empty.
            const QString ss = dbcboProdCode->text();
            const QString lastName = dbcboProdName->text();
            auto matches = [&] { return (!ss.isEmpty() && onSS()) || (!lastName.isEmpty() && onLastName()); };
            if (!search(matches)) {
                boxes.message(kDeleteMissText.toString(), kDeleteMissTitle.toString(), ui::Icon::None, ui::Buttons::Ok);
            } else if (boxes.message(kConfirmText.toString(), kConfirmTitle.toString(), ui::Icon::None, ui::Buttons::YesNo)
                       == ui::Button::Yes) {
                datProdPrice->remove();
                datProdPrice->refresh();
                clearEntries();
                dbcboProdCode->setFocus();
            }
        }
    } catch (const std::exception&) {
        // Delete ends without a word.
    }
    cmdProdUpd->setEnabled(false);
    m_shownRow.reset();
}

void EmployeeWindow::cmdClearProd_Click()
{
    clearEntries();
    cmdProdUpd->setEnabled(false);
    m_shownRow.reset();
}

void EmployeeWindow::clearEntries()
{
    dbcboProdCode->setText(QString());
    dbcboProdName->setText(QString());
    txtCategory->clear();
    txtProdPrice->clear();
    txtQtyBought->clear();
    totHoras->clear();
    Tempo->clear();
    txtSupAddr->clear();
    txtSupPhone->clear();
    lblNome->clear();
    txtuso->setEditText(QString());
    passeword->clear();
}

} // namespace staff
