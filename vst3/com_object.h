// Reference counting and interface lookup for the objects we hand to a host.
#pragma once

#include <atomic>

#include "vst3/vst3_abi.h"

namespace tav::vst3 {

// Counts references from 1 and deletes the object at 0. The object says which
// interfaces it answers for by overriding Lookup.
class RefCounted {
  public:
    virtual ~RefCounted() = default;
    uint32 AddRef() { return ++references_; }
    uint32 Release() {
        const uint32 left = --references_;
        if (left == 0) delete this;
        return left;
    }

  private:
    std::atomic<uint32> references_{1};
};

// The queryInterface rule shared by every object: a matching interface gets a
// reference, anything else a null pointer and kNoInterface.
template <class Lookup>
tresult QueryWith(const TUID iid, void** obj, Lookup lookup) {
    if (obj == nullptr) return kInvalidArgument;
    *obj = nullptr;
    if (iid == nullptr) return kInvalidArgument;
    FUnknown* found = lookup(iid);
    if (found == nullptr) return kNoInterface;
    found->addRef();
    *obj = found;
    return kResultOk;
}

// Answers iid with the static_cast sub-object of self when it is one of Is...
template <class Self, class... Is>
FUnknown* FindInterface(Self* self, const TUID iid) {
    FUnknown* found = nullptr;
    ((found == nullptr && Is::iid.Matches(iid) ? (found = static_cast<Is*>(self), 0) : 0), ...);
    return found;
}

// The three FUnknown methods for a class deriving from RefCounted.
#define TAV_VST3_REFCOUNT             \
    uint32 addRef() override {        \
        return RefCounted::AddRef();  \
    }                                 \
    uint32 release() override {       \
        return RefCounted::Release(); \
    }

// Holds one reference to a host object for as long as it is kept.
template <class I>
class HostRef {
  public:
    HostRef() = default;
    HostRef(const HostRef&) = delete;
    HostRef& operator=(const HostRef&) = delete;
    ~HostRef() { Reset(); }

    void Reset(I* object = nullptr) {
        if (object != nullptr) object->addRef();
        if (object_ != nullptr) object_->release();
        object_ = object;
    }
    // Queries an interface of another object; none when it has none.
    void QueryFrom(FUnknown* other) {
        Reset();
        if (other == nullptr) return;
        void* found = nullptr;
        if (other->queryInterface(I::iid.Data(), &found) == kResultOk && found != nullptr) {
            object_ = static_cast<I*>(found);
        }
    }
    I* Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    I* object_ = nullptr;
};

}  // namespace tav::vst3
