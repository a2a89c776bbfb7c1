#pragma once

#include "store/store.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A fresh store in a temporary folder, made as a first start makes it.
struct StoreFixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Point of Sale/Grocery.mdb"));
    QDate today{2026, 12, 10};
    std::unique_ptr<store::Store> store = store::Store::open(path, today);
};
