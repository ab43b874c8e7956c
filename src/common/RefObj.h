#pragma once

#include <atomic>
#include <cstdint>

namespace CommonLibrary {

// A reference-counted object; the count is 1 at creation. Owners that
// release the object call SubRef and delete it when the count reaches 0.
class RefObj {
public:
    RefObj() = default;
    virtual ~RefObj() = default;
    RefObj(const RefObj&) = delete;
    RefObj& operator=(const RefObj&) = delete;

    int32_t AddRef() { return ++m_refCount; }
    // Returns the count after the decrement; does not delete.
    int32_t SubRef() { return --m_refCount; }
    int32_t GetRefCount() const { return m_refCount; }

private:
    std::atomic<int32_t> m_refCount{1};
};

}  // namespace CommonLibrary
