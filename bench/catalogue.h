#pragma once

#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include <sqlite3.h>

// A store holding the largest catalogue the till can count: 32,767 products, each a price row
// and a stock row at the same position.
struct Catalogue {
    static constexpr int kProducts = 32767;

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Grocery.mdb"));
    std::unique_ptr<store::Store> store = store::Store::open(path, QDate(2026, 12, 10));

    Catalogue()
    {
        static const char16_t* const kCategories[] = {u"Meat", u"Bakery", u"Beverage", u"Dairy", u"Grocery", u"Fruits"};
        store::RecordSource prices(*store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
        store::RecordSource stock(*store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity"));
        store::UnitOfWork unit(*store);
        for (int i = 0; i < kProducts; ++i) {
            const QString code = QStringLiteral("P%1").arg(i, 5, 10, QLatin1Char('0'));
            prices.addNew();
            prices.setField(u"Code", code);
            prices.setField(u"ProductName", QStringLiteral("Product number %1").arg(i));
            prices.setField(u"ProductPrice", store::Currency::fromUnits(12500 + i));
            prices.setField(u"VPrice", store::Currency::fromUnits(9000 + i));
            prices.setField(u"ProdCathegory", QString::fromUtf16(kCategories[i % 6]));
            prices.update();
            stock.addNew();
            stock.setField(u"Code", code);
            stock.setField(u"QuantityBought", 1000);
            stock.setField(u"QuantityOnHand", 1000);
            stock.setField(u"QuantitySold", 0);
            stock.update();
        }
        unit.commit();
    }

    static QString lastCode() { return QStringLiteral("P%1").arg(kProducts - 1, 5, 10, QLatin1Char('0')); }
};

// The one catalogue a benchmark program works on, made the first time it is asked for.
inline Catalogue& catalogue()
{
    static Catalogue instance;
    return instance;
}

// A second connection on the same file, set up as the store sets up its own: the yardstick of
// plain SQLite calls.
inline sqlite3* openPlain(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 2000);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr);
    return db;
}
