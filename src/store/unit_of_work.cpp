#include "store/unit_of_work.h"

#include "store/store.h"

namespace store {

UnitOfWork::UnitOfWork(Store& store) : m_store(store)
{
    m_store.beginUnit();
}

UnitOfWork::~UnitOfWork()
{
    if (m_done)
        return;
    try {
        m_store.rollbackUnit();
    } catch (...) {
        // A rollback that fails leaves the transaction to SQLite, which undoes it when the
        // connection closes; nothing more can be done from a destructor.
    }
}

void UnitOfWork::commit()
{
    m_store.commitUnit();
    m_done = true;
}

} // namespace store
