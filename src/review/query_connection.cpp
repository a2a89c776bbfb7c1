#include "review/query_connection.h"

#include "app/context.h"
#include "platform/platform.h"
#include "store/error.h"
#include "store/query_source.h"
#include "store/store.h"

#include <QFileInfo>

namespace review {
namespace {

// A file's path as two paths to the same file compare: resolved through links when it exists.
QString comparablePath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

QString connectionDataSource(QStringView connection)
{
    for (QStringView pair : connection.split(u';')) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals < 0)
            continue;
        if (pair.left(equals).trimmed().compare(u"Data Source", Qt::CaseInsensitive) == 0)
            return pair.mid(equals + 1).trimmed().toString();
    }
    return QString();
}

store::QuerySource* openQuerySource(app::Context& context, const QString& name, QStringView connection, const QString& source,
    QObject* parent)
{
    const QString dataSource = connectionDataSource(connection);
    if (dataSource.isEmpty())
        throw store::Error(store::ErrorKind::IO, QStringLiteral("%1: the connection names no data source").arg(name));
    const QString hostPath = context.platform.drives().hostPath(dataSource);
    if (comparablePath(hostPath) != comparablePath(context.store.path())) {
        throw store::Error(store::ErrorKind::IO,
            QStringLiteral("%1: the connection's data source %2 (%3) is not the open store %4").arg(name, dataSource, hostPath, context.store.path()));
    }
    return new store::QuerySource(context.store, name, source, parent);
}

} // namespace review
