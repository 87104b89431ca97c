#include "host/formats/vst3_host_objects.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tav::vst3host {

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
    if (numBytesRead != nullptr) *numBytesRead = 0;
    if (buffer == nullptr || numBytes < 0) return kInvalidArgument;
    const auto size = static_cast<int64>(bytes_.size());
    int64 count = std::min<int64>(numBytes, std::max<int64>(0, size - position_));
    if (failAfter_ >= 0) {
        if (position_ >= failAfter_) return kInternalError;
        count = std::min(count, failAfter_ - position_);
    }
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
    position_ += count;
    if (numBytesRead != nullptr) *numBytesRead = static_cast<int32>(count);
    return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
    if (numBytesWritten != nullptr) *numBytesWritten = 0;
    if (buffer == nullptr || numBytes < 0) return kInvalidArgument;
    const auto end = static_cast<size_t>(position_) + static_cast<size_t>(numBytes);
    if (bytes_.size() < end) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(numBytes));
    position_ = static_cast<int64>(end);
    if (numBytesWritten != nullptr) *numBytesWritten = numBytes;
    return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result) {
    int64 base = 0;
    if (mode == kIBSeekCur) base = position_;
    if (mode == kIBSeekEnd) base = static_cast<int64>(bytes_.size());
    if (mode < kIBSeekSet || mode > kIBSeekEnd || base + pos < 0) return kInvalidArgument;
    position_ = base + pos;
    if (result != nullptr) *result = position_;
    return kResultOk;
}

tresult MemoryStream::tell(int64* pos) {
    if (pos == nullptr) return kInvalidArgument;
    *pos = position_;
    return kResultOk;
}

tresult ParamQueue::getPoint(int32 index, int32* sampleOffset, ParamValue* value) {
    if (index < 0 || index >= getPointCount() || sampleOffset == nullptr || value == nullptr) {
        return kInvalidArgument;
    }
    *sampleOffset = points_[static_cast<size_t>(index)].offset;
    *value = points_[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult ParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32* index) {
    points_.push_back({sampleOffset, value});
    if (index != nullptr) *index = getPointCount() - 1;
    return kResultOk;
}

IParamValueQueue* ParamChanges::getParameterData(int32 index) {
    if (index < 0 || index >= getParameterCount()) return nullptr;
    return &queues_[static_cast<size_t>(index)];
}

IParamValueQueue* ParamChanges::addParameterData(const ParamID* id, int32* index) {
    if (id == nullptr) return nullptr;
    for (size_t i = 0; i < queues_.size(); ++i) {
        if (queues_[i].getParameterId() == *id) {
            if (index != nullptr) *index = static_cast<int32>(i);
            return &queues_[i];
        }
    }
    if (queues_.size() == queues_.capacity()) return nullptr;  // addresses must stay put
    queues_.emplace_back(*id);
    if (index != nullptr) *index = getParameterCount() - 1;
    return &queues_.back();
}

void ParamChanges::Add(ParamID id, int32 offset, ParamValue value) {
    int32 index = 0;
    if (IParamValueQueue* queue = addParameterData(&id, &index))
        queue->addPoint(offset, value, &index);
}

tresult HostApplication::getName(String128 name) {
    if (name == nullptr) return kInvalidArgument;
    const char* text = "tavhost";
    size_t i = 0;
    for (; text[i] != '\0'; ++i) name[i] = static_cast<TChar>(text[i]);
    name[i] = 0;
    return kResultOk;
}

tresult HostApplication::createInstance(TUID, TUID, void** obj) {
    if (obj != nullptr) *obj = nullptr;
    return kNotImplemented;
}

tresult RecordingHandler::beginEdit(ParamID id) {
    Record("begin " + std::to_string(id));
    return kResultOk;
}

tresult RecordingHandler::performEdit(ParamID id, ParamValue valueNormalized) {
    char text[64];
    std::snprintf(text, sizeof text, "perform %u %.6f", id, valueNormalized);
    Record(text);
    return kResultOk;
}

tresult RecordingHandler::endEdit(ParamID id) {
    Record("end " + std::to_string(id));
    return kResultOk;
}

tresult RecordingHandler::restartComponent(int32 flags) {
    Record("restart " + std::to_string(flags));
    return kResultOk;
}

std::vector<std::string> RecordingHandler::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void RecordingHandler::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

void RecordingHandler::Record(std::string call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
}

std::string FromUtf16(const TChar* text, size_t max) {
    std::string out;
    if (text == nullptr) return out;
    for (size_t i = 0; i < max && text[i] != 0; ++i) {
        uint32 c = text[i];
        // A surrogate pair makes one code point; a lone half becomes U+FFFD.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < max && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32>(text[++i]) - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        uint32 c = extra < 0 ? 0xFFFD : lead & (0x7F >> extra);
        size_t next = i + 1;
        for (int k = 0; k < extra; ++k, ++next) {
            if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
        }
        i = next;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace tav::vst3host
