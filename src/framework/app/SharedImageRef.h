#pragma once

#include <memory>

namespace Brisk {

class BriskAppBase;
class DDImage;

// A counted reference to an image in the application's shared-image cache.
// Copies count; the image is deleted after an update once nothing refers to
// it. Main thread only.
class SharedImageRef {
public:
    SharedImageRef() = default;
    SharedImageRef(const SharedImageRef& other);
    SharedImageRef& operator=(const SharedImageRef& other);
    ~SharedImageRef();
    DDImage* GetImage() const;
    explicit operator bool() const { return GetImage() != nullptr; }

private:
    friend class BriskAppBase;
    struct Entry {
        std::unique_ptr<DDImage> image;  // DDImage is complete where entries are destroyed
        int refCount = 0;
    };
    explicit SharedImageRef(Entry* entry);
    void Release();
    Entry* m_entry = nullptr;
};

}  // namespace Brisk
