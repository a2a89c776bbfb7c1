#include "store/statement.h"

#include "store/store.h"

#include <sqlite3.h>

namespace store {

Statement::~Statement()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept : m_store(other.m_store), m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

void Statement::bindNull(int index)
{
    if (int rc = sqlite3_bind_null(m_stmt, index); rc != SQLITE_OK)
        m_store->fail(rc, QStringLiteral("bind"));
}

void Statement::bindInt(int index, std::int64_t value)
{
    if (int rc = sqlite3_bind_int64(m_stmt, index, value); rc != SQLITE_OK)
        m_store->fail(rc, QStringLiteral("bind"));
}

void Statement::bindDouble(int index, double value)
{
    if (int rc = sqlite3_bind_double(m_stmt, index, value); rc != SQLITE_OK)
        m_store->fail(rc, QStringLiteral("bind"));
}

void Statement::bindText(int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    if (int rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT); rc != SQLITE_OK)
        m_store->fail(rc, QStringLiteral("bind"));
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    // A statement that writes, or ends a transaction (which SQLite counts as read-only).
    const QString sql = QString::fromUtf8(sqlite3_sql(m_stmt));
    const bool writes = !sqlite3_stmt_readonly(m_stmt) || sql.startsWith(u"COMMIT", Qt::CaseInsensitive)
        || sql.startsWith(u"END", Qt::CaseInsensitive) || sql.startsWith(u"RELEASE", Qt::CaseInsensitive);
    m_store->fail(rc, sql, writes);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }
int Statement::columnType(int column) const { return sqlite3_column_type(m_stmt, column); }
std::int64_t Statement::columnInt(int column) const { return sqlite3_column_int64(m_stmt, column); }
double Statement::columnDouble(int column) const { return sqlite3_column_double(m_stmt, column); }

QString Statement::columnText(int column) const
{
    int size = 0;
    const char* text = columnUtf8(column, &size);
    return QString::fromUtf8(text, size);
}

const char* Statement::columnUtf8(int column, int* size) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    *size = sqlite3_column_bytes(m_stmt, column);
    return text;
}

namespace {
QString fromUtf8OrEmpty(const char* text) { return text ? QString::fromUtf8(text) : QString(); }
} // namespace

QString Statement::columnName(int column) const { return fromUtf8OrEmpty(sqlite3_column_name(m_stmt, column)); }
QString Statement::columnDeclType(int column) const { return fromUtf8OrEmpty(sqlite3_column_decltype(m_stmt, column)); }
QString Statement::columnOriginTable(int column) const { return fromUtf8OrEmpty(sqlite3_column_table_name(m_stmt, column)); }
QString Statement::columnOriginName(int column) const { return fromUtf8OrEmpty(sqlite3_column_origin_name(m_stmt, column)); }

} // namespace store
