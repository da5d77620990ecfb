// Reference counting shared by views, bitmaps and fonts: whoever keeps an object remembers it
// and forgets it when done; the last forget deletes it. User-interface thread only.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    void remember() { ++refCount; }
    void forget() {
        if (--refCount == 0) delete this;
    }
    int32_t getNbReference() const { return refCount; }

protected:
    virtual ~CBaseObject() = default;

private:
    int32_t refCount = 1;
};

} // namespace VSTGUI
