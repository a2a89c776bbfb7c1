#pragma once

#include <QString>
#include <QStringView>

class QObject;

namespace app {
struct Context;
}
namespace store {
class QuerySource;
}

namespace review {

// The connection text the grid and the charts are opened with.
inline constexpr QStringView kQueryConnection
    = u"Provider=Microsoft.Jet.OLEDB.3.51;Persist Security Info=False;Data Source=C:\\Program Files\\Point of Sale\\Grocery.mdb";

// The value of the "Data Source" key of a connection text ("key=value" pairs parted by ";", keys
// matched without regard to letter case, blanks around keys and values dropped); an empty text
// when there is none.
QString connectionDataSource(QStringView connection);

// A query source named `name` over `source` (an SQL text or a table name), opened through a
// connection text. The connection's data source is a drive path, found on this host through the
// platform's drives; it must name the store the program has open, the only one it reads. Throws
// store::Error(IO) when the connection names no data source or another file.
store::QuerySource* openQuerySource(app::Context& context, const QString& name, QStringView connection, const QString& source,
    QObject* parent);

} // namespace review
