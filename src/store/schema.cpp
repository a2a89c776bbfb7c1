#include "store/schema.h"

#include <array>

namespace store {
namespace {

constexpr FieldDef kProductPrice[] = {
    {u"Code", Type::Text},
    {u"ProductName", Type::Text},
    {u"ProductPrice", Type::Currency},
    {u"VPrice", Type::Currency},
    {u"ProdCathegory", Type::Text},
};

constexpr FieldDef kProductQuantity[] = {
    {u"Code", Type::Text},
    {u"QuantityBought", Type::Whole},
    {u"QuantityOnHand", Type::Whole},
    {u"QuantitySold", Type::Whole},
};

constexpr FieldDef kSupplier[] = {
    {u"Code", Type::Text},
    {u"Supplier", Type::Text},
    {u"Phone#", Type::Text},
    {u"Address", Type::Text},
};

constexpr FieldDef kTax[] = {
    {u"Tax", Type::Number},
};

constexpr FieldDef kEmployees[] = {
    {u"SS#", Type::Text},
    {u"Sobrenome", Type::Text},
    {u"Nome", Type::Text},
    {u"Cargo", Type::Text},
    {u"Salario", Type::Text},
    {u"Tempo", Type::Text},
    {u"TotalHoras", Type::Text},
    {u"Endereco", Type::Text},
    {u"Telefone", Type::Text},
    {u"passe", Type::Text},
    {u"uso", Type::Text},
};

constexpr FieldDef kReceipt[] = {
    {u"Code", Type::Text},
    {u"ProdName", Type::Text},
    {u"pQty", Type::Whole},
    {u"ProdPrice", Type::Currency},
    {u"Cashier", Type::Text},
    {u"Subtotal", Type::Currency},
    {u"Tax", Type::Currency},
    {u"Total", Type::Currency},
    {u"AmountTendered", Type::Currency},
    {u"Change", Type::Currency},
};

constexpr FieldDef kDailyLines[] = {
    {u"Codigo", Type::Text},
    {u"Nome_Produto", Type::Text},
    {u"Quantidade", Type::Whole},
    {u"Preco", Type::Currency},
};

constexpr FieldDef kDailyTotals[] = {
    {u"tDate", Type::Date},
    {u"DailySale", Type::Currency},
    {u"totalItems", Type::Whole},
};

constexpr FieldDef kCategory[] = {
    {u"NumberOfDays", Type::Whole},
    {u"Meat", Type::Whole},
    {u"Bakery", Type::Whole},
    {u"Frozen", Type::Whole},
    {u"Vegetable", Type::Whole},
    {u"Beverage", Type::Whole},
    {u"Fruits", Type::Whole},
    {u"Dairy", Type::Whole},
    {u"Grain", Type::Whole},
    {u"Grocery", Type::Whole},
    {u"Miscelaneous", Type::Whole},
    {u"Health", Type::Whole},
    {u"Cleaning", Type::Whole},
};

constexpr FieldDef kYearSales[] = {
    {u"Ano", Type::Whole},
    {u"January", Type::Currency},
    {u"February", Type::Currency},
    {u"March", Type::Currency},
    {u"April", Type::Currency},
    {u"May", Type::Currency},
    {u"June", Type::Currency},
    {u"July", Type::Currency},
    {u"August", Type::Currency},
    {u"September", Type::Currency},
    {u"October", Type::Currency},
    {u"November", Type::Currency},
    {u"December", Type::Currency},
    {u"AnualTotal", Type::Currency},
};

constexpr FieldDef kLastYearSales[] = {
    {u"January", Type::Currency},
    {u"February", Type::Currency},
    {u"March", Type::Currency},
    {u"April", Type::Currency},
    {u"May", Type::Currency},
    {u"June", Type::Currency},
    {u"July", Type::Currency},
    {u"August", Type::Currency},
    {u"September", Type::Currency},
    {u"October", Type::Currency},
    {u"November", Type::Currency},
    {u"December", Type::Currency},
    {u"AnualTotal", Type::Currency},
};

constexpr FieldDef kReports[] = {
    {u"Name", Type::Text},
    {u"Layout", Type::Text},
};

constexpr std::array kTables = {
    TableDef{u"tblProductPrice", kProductPrice},
    TableDef{u"tblProductQuantity", kProductQuantity},
    TableDef{u"tblSuplier", kSupplier},
    TableDef{u"tblTax", kTax},
    TableDef{u"Employees", kEmployees},
    TableDef{u"tblReceipt", kReceipt},
    TableDef{u"daillySale", kDailyLines},
    TableDef{u"tblDailySale", kDailyTotals},
    TableDef{u"tblCathegory", kCategory},
    TableDef{u"YearSales", kYearSales},
    TableDef{u"LastYearSales", kLastYearSales},
    TableDef{u"Reports", kReports, 2},
};

constexpr const char16_t* kCategoryWords[] = {
    u"Meat", u"Bakery", u"Beverage", u"Frozen", u"Vegetable", u"Fruits",
    u"Dairy", u"Grain", u"Grocery", u"Miscelaneous", u"Health", u"Cleaning",
};

constexpr const char16_t* kMonths[] = {
    u"January", u"February", u"March", u"April", u"May", u"June",
    u"July", u"August", u"September", u"October", u"November", u"December",
};

} // namespace

int TableDef::fieldIndex(QStringView fieldName) const
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fieldName.compare(QStringView(fields[i].name), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

namespace schema {

std::span<const TableDef> tables() { return kTables; }

const TableDef* table(QStringView name)
{
    for (const TableDef& t : kTables) {
        if (name.compare(QStringView(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

std::span<const char16_t* const> categoryWords() { return kCategoryWords; }
std::span<const char16_t* const> monthNames() { return kMonths; }

Value defaultValue(Type type)
{
    switch (type) {
    case Type::Whole: return Value(std::int16_t(0));
    case Type::Number: return Value(0.0);
    case Type::Currency: return Value(Currency());
    case Type::Boolean: return Value(false);
    case Type::Text:
    case Type::Date: return Value();
    }
    return Value();
}

} // namespace schema
} // namespace store
