#pragma once

#include "app/window.h"

#include <QStringView>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace help {
class HTMLHelp;
}
namespace store {
class RecordSource;
class Value;
}
namespace ui {
class BoundList;
class DigitsOnlyEdit;
class ValueLabel;
}

namespace staff {

// frmEmployees: the staff list. An employee is shown by social security number or by last name,
// added, changed or deleted; the password and usage code given here are what the password gates
// let people in by. Opened by the employee gate; "&Back to Main System" goes back to the main
// menu.
//
// employee_window.cpp holds the window's life, its menu, its layout, SHOW, DELETE and CLEAR;
// employee_entries.cpp NEW EMPLOYEE and UPDATE EMPLOYEE with their checks.
class EmployeeWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmEmployees";
    // The usage codes offered, in the order the list offers them.
    static constexpr QStringView kUsageCodes[] = {u"A", u"C", u"E", u"AC", u"EC", u"AE", u"ACE"};
    // The usage box's list prompt, which some checks let through.
    static constexpr QStringView kUsagePrompt = u"Select Usage";

    explicit EmployeeWindow(app::Context& context);
    ~EmployeeWindow() override;

    void load() override;
    // The close button goes back to the main menu, as "&Back to Main System" does.
    void closeRequested() override;

    // Menu.
    QMenuBar* menuBar;
    QMenu* dbmMenu;
    QAction* dbmHelp;
    QAction* dbmExit;

    // Left column.
    QLabel* lblSS;
    ui::BoundList* dbcboProdCode; // SS#, digits only
    QLabel* lblLastName;
    ui::BoundList* dbcboProdName; // Sobrenome
    QLabel* lblFirstName;
    QLineEdit* txtProdPrice; // Nome
    QLabel* lblJobTitle;
    QLineEdit* txtCategory; // Cargo
    QLabel* lblSalary;
    ui::DigitsOnlyEdit* txtQtyBought; // Salario
    QLabel* lblYears;
    ui::DigitsOnlyEdit* Tempo;
    QLabel* lblHours;
    ui::DigitsOnlyEdit* totHoras; // TotalHoras

    // Right column.
    QLabel* lblName;
    ui::ValueLabel* lblNome;
    QLabel* lblAddress;
    QPlainTextEdit* txtSupAddr; // Endereco
    QLabel* lblPhone;
    QLineEdit* txtSupPhone; // Telefone
    QLabel* lblPassword;
    QLineEdit* passeword; // passe
    QLabel* lblUsage;
    QComboBox* txtuso; // uso

    QPushButton* cmdAddNewProd;
    QPushButton* cmdClearProd;
    QPushButton* cmdShowProd;
    QPushButton* cmdProdUpd;
    QPushButton* cmdDelProd;

    QFrame* myFrame;
    QLabel* Image1;
    QFrame* Line1;
    QFrame* Line2;

    // Record sources, both on Employees.
    store::RecordSource* datProdPrice; // every search and write
    store::RecordSource* datPass;      // the password check of UPDATE EMPLOYEE

private:
    void buildControls();
    void layOut();

    void dbmHelp_Click();
    void dbmExit_Click();
    void cmdShowProd_Click();
    void cmdDelProd_Click();
    void cmdClearProd_Click();
    void clearEntries();

    // Walks datProdPrice from its first row to the first row that `matches`; returns its
    // position, or nothing (standing on the last row) when no row does.
    std::optional<int> search(const std::function<bool()>& matches);
    // True when the field holds exactly this text: letter case and blanks count and nothing is
    // trimmed. A field with no value holds no text, not even the empty one.
    static bool holds(const store::Value& field, const QString& text);
    bool onSS() const;
    bool onLastName() const;

    // NEW EMPLOYEE and UPDATE EMPLOYEE (employee_entries.cpp).
    void cmdAddNewProd_Click();
    bool checkNewOnRows();
    bool checkFirstEmployee();
    void addEmployee(bool withAccess);
    void cmdProdUpd_Click();
    // Puts datProdPrice on the employee last shown; throws store::Error when that row is gone.
    void moveToShown();
    // True when some employee already has this password; letter case is ignored, as the
    // password gates ignore it.
    bool passwordTaken(store::RecordSource& source, const QString& password);
    void writePersonalFields();
    void writeAccessFields(bool withAccess);

    // The employee found by the last SHOW EMPLOYEE that filled the boxes: its position in
    // datProdPrice and the SS# it held then. UPDATE EMPLOYEE changes this row only.
    std::optional<int> m_shownRow;
    QString m_shownSS;

    std::unique_ptr<help::HTMLHelp> m_help;
};

} // namespace staff
