#include "store/error.h"

namespace store {

Error::Error(ErrorKind kind, const QString& message)
    : std::runtime_error(message.toStdString()), m_kind(kind)
{
}

} // namespace store
