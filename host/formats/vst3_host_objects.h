// The objects a VST 3 host hands to a plug-in: state streams, parameter change
// lists, the host application and the component handler. They live as long as
// the host keeps them; reference counting is a formality here.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "vst3/vst3_abi.h"

namespace tav::vst3host {

using namespace tav::vst3;

// A host-owned object: addRef and release count nothing.
template <class... Is>
class HostObject : public Is... {
  public:
    virtual ~HostObject() = default;
    tresult queryInterface(const TUID iid, void** obj) override {
        if (obj == nullptr) return kInvalidArgument;
        *obj = nullptr;
        if (iid == nullptr) return kInvalidArgument;
        FUnknown* found = nullptr;
        ((found == nullptr && (Is::iid.Matches(iid) || FUnknown::iid.Matches(iid))
              ? (found = static_cast<Is*>(this), 0)
              : 0),
         ...);
        if (found == nullptr) return kNoInterface;
        *obj = found;
        return kResultOk;
    }
    uint32 addRef() override { return 1; }
    uint32 release() override { return 1; }
};

// A stream over bytes in memory. failAfter: reads fail once that many bytes
// have been read (a host's stream breaking mid-read).
class MemoryStream final : public HostObject<IBStream> {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    tresult read(void* buffer, int32 numBytes, int32* numBytesRead) override;
    tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
    tresult seek(int64 pos, int32 mode, int64* result) override;
    tresult tell(int64* pos) override;

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Rewind() { position_ = 0; }
    void FailAfter(int64 bytes) { failAfter_ = bytes; }

  private:
    std::vector<uint8_t> bytes_;
    int64 position_ = 0;
    int64 failAfter_ = -1;
};

// One parameter's points in a block.
class ParamQueue final : public HostObject<IParamValueQueue> {
  public:
    struct Point {
        int32 offset;
        ParamValue value;
    };

    explicit ParamQueue(ParamID id) : id_(id) { points_.reserve(64); }
    ParamID getParameterId() override { return id_; }
    int32 getPointCount() override { return static_cast<int32>(points_.size()); }
    tresult getPoint(int32 index, int32* sampleOffset, ParamValue* value) override;
    tresult addPoint(int32 sampleOffset, ParamValue value, int32* index) override;

    void ClearPoints() { points_.clear(); }

  private:
    ParamID id_;
    std::vector<Point> points_;
};

// The changes of one block. Queues keep their addresses until Clear.
class ParamChanges final : public HostObject<IParameterChanges> {
  public:
    ParamChanges() { queues_.reserve(64); }
    int32 getParameterCount() override { return static_cast<int32>(queues_.size()); }
    IParamValueQueue* getParameterData(int32 index) override;
    IParamValueQueue* addParameterData(const ParamID* id, int32* index) override;

    // Adds one point, making the parameter's queue when it has none yet.
    void Add(ParamID id, int32 offset, ParamValue value);
    void Clear() { queues_.clear(); }
    // Empties every queue but keeps them and their memory, for the next block.
    void ClearPoints() {
        for (ParamQueue& queue : queues_) queue.ClearPoints();
    }

  private:
    std::vector<ParamQueue> queues_;
};

class HostApplication final : public HostObject<IHostApplication> {
  public:
    tresult getName(String128 name) override;
    tresult createInstance(TUID cid, TUID iid, void** obj) override;
};

// Records every call of the controller's handler, in order, as text: "begin 3",
// "perform 3 0.5", "end 3", "restart 4".
class RecordingHandler final : public HostObject<IComponentHandler> {
  public:
    tresult beginEdit(ParamID id) override;
    tresult performEdit(ParamID id, ParamValue valueNormalized) override;
    tresult endEdit(ParamID id) override;
    tresult restartComponent(int32 flags) override;

    std::vector<std::string> Calls() const;
    void Clear();

  private:
    void Record(std::string call);
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

// UTF-16 text from and to the plug-in: a zero-terminated String128-style
// buffer of at most max units as UTF-8, and UTF-8 as zero-terminated UTF-16.
std::string FromUtf16(const TChar* text, size_t max = 128);
std::u16string ToUtf16(const std::string& text);

}  // namespace tav::vst3host
