#pragma once

// What the store holds of the till's business, as one line of text that the crash test's child
// works out from what it did and its parent reads from the store: equal texts, equal business.
#include <QDate>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace store {
class Store;
}

namespace crashtest {

// Money in ten-thousandths, as the store keeps it.
using Units = std::int64_t;

struct TillState {
    struct Product {
        QString code;
        QString name;
        Units price = 0;
        int onHand = 0;
    };
    struct Line {
        QString code;
        QString name;
        int units = 0;
        Units total = 0;
    };
    struct Year {
        int year = 0;
        std::array<Units, 12> months{};
        Units total = 0;
    };
    struct LastYear {
        std::array<Units, 12> months{};
        Units total = 0;
    };
    struct Supplier {
        QString name;
        QString phone;
        QString address;
    };
    struct Employee {
        QString lastName;
        QString firstName;
        QString phone;
        QString password;
    };

    std::vector<Product> products; // in the order of both product tables
    std::vector<Line> openSale;    // the sale lines of tblReceipt
    std::vector<Line> today;       // daillySale
    Units dailySale = 0;
    int totalItems = 0;
    QDate businessDate;           // tDate of tblDailySale
    std::optional<int> tallyDays; // NumberOfDays of tblCathegory, once it has its row
    std::optional<Year> year;
    std::optional<LastYear> lastYear;
    int taxPercent = 0;
    std::map<QString, Supplier> suppliers; // by code
    std::map<QString, Employee> employees; // by SS#

    QString text() const;
    // The same text read from the store, or where the store breaks a rule the text cannot show (a
    // product in one of its two tables only, a year row that does not add up), a text saying so.
    static QString readFrom(store::Store& store);

    Product* product(const QString& code);
};

} // namespace crashtest
