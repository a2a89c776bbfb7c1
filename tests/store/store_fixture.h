#pragma once

#include "store/error.h"
#include "store/store.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// A fresh store in a temporary folder, made as a first start makes it.
struct StoreFixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Point of Sale/Grocery.mdb"));
    QDate today{2026, 12, 10};
    std::unique_ptr<store::Store> store = store::Store::open(path, today);
};

// The kind of store error the action fails with; ErrorKind(-1) when it does not fail.
inline store::ErrorKind kindOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const store::Error& e) {
        return e.kind();
    }
    return store::ErrorKind(-1);
}
