#pragma once

namespace store {

class Store;

// The writes that together record one business event: they commit together or not at all.
//
//     store::UnitOfWork unit(store);
//     ...writes through record sources...
//     unit.commit();
//
// A unit that is not committed is rolled back when it goes out of scope (an exception thrown
// part-way, for instance), and every record source that wrote inside it reads its table again,
// so no window goes on showing a write that never happened. Units nest.
class UnitOfWork {
public:
    explicit UnitOfWork(Store& store);
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork&) = delete;
    UnitOfWork& operator=(const UnitOfWork&) = delete;

    void commit();

private:
    Store& m_store;
    bool m_done = false;
};

} // namespace store
