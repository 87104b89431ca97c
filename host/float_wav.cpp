#include "host/float_wav.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tav {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Writes little-endian fields into a fixed buffer.
struct ByteWriter {
    std::uint8_t* at;
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) *at++ = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void U16(std::uint16_t v) {
        *at++ = static_cast<std::uint8_t>(v);
        *at++ = static_cast<std::uint8_t>(v >> 8);
    }
    void Tag(const char* tag) {
        std::memcpy(at, tag, 4);
        at += 4;
    }
};

bool Fail(std::string* error, const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
}

float DecodeSample(const std::uint8_t* p, std::uint16_t format, int bits) {
    if (format == kFormatFloat) {
        std::uint32_t word = Le32(p);
        float value;
        std::memcpy(&value, &word, sizeof value);
        return value;
    }
    switch (bits) {
        case 16:
            return static_cast<float>(static_cast<std::int16_t>(Le16(p)) / 32768.0);
        case 24: {
            std::int32_t v = static_cast<std::int32_t>(Le32(p) << 8 & 0xFFFFFF00u) >> 8;
            return static_cast<float>(v / 8388608.0);
        }
        default:
            return static_cast<float>(static_cast<std::int32_t>(Le32(p)) / 2147483648.0);
    }
}

}  // namespace

bool ReadFloatWav(const std::string& path, AudioBuffer* out, std::string* error) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return Fail(error, "cannot open " + path);
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[65536];
    for (size_t n; (n = std::fread(block, 1, sizeof block, file.get())) > 0;) {
        bytes.insert(bytes.end(), block, block + n);
    }
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return Fail(error, path + " is not a RIFF WAVE file");
    }

    std::uint16_t format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
    const std::uint8_t* data = nullptr;
    size_t dataSize = 0;
    for (size_t pos = 12; pos + 8 <= bytes.size();) {
        const std::uint8_t* chunk = bytes.data() + pos;
        size_t size = Le32(chunk + 4);
        size_t body = pos + 8;
        size_t available = bytes.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
            format = Le16(chunk + 8);
            channels = Le16(chunk + 10);
            rate = Le32(chunk + 12);
            bits = Le16(chunk + 22);
            if (format == kFormatExtensible && size >= 40 && available >= 40) {
                format = Le16(chunk + 8 + 24);  // first bytes of the sub-format GUID
            }
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = bytes.data() + body;
            dataSize = size < available ? size : available;  // tolerate a truncated file
        }
        pos = body + size + (size & 1);
    }

    bool pcm = format == kFormatPcm && (bits == 16 || bits == 24 || bits == 32);
    bool flt = format == kFormatFloat && bits == 32;
    if (!pcm && !flt) return Fail(error, path + ": unsupported sample format");
    if (channels == 0 || rate == 0 || data == nullptr) return Fail(error, path + ": no audio data");

    size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
    std::int64_t frames = static_cast<std::int64_t>(dataSize / frameBytes);
    out->sampleRate = rate;
    out->Resize(channels, frames);
    for (std::int64_t f = 0; f < frames; ++f) {
        const std::uint8_t* frame = data + static_cast<size_t>(f) * frameBytes;
        for (int c = 0; c < channels; ++c) {
            out->channels[c][static_cast<size_t>(f)] =
                DecodeSample(frame + static_cast<size_t>(c) * (bits / 8), format, bits);
        }
    }
    return true;
}

bool WriteFloatWav(const std::string& path, const AudioBuffer& audio, std::string* error) {
    const std::uint32_t channels = static_cast<std::uint32_t>(audio.NumChannels());
    const std::uint64_t frames = static_cast<std::uint64_t>(audio.NumFrames());
    const std::uint64_t dataSize = frames * channels * 4;
    if (channels == 0 || channels > 0xFFFF) return Fail(error, "nothing to write");
    if (dataSize > 0xFFFFFF00u - 64) return Fail(error, "too long for a WAV file");
    const std::uint32_t rate = static_cast<std::uint32_t>(audio.sampleRate + 0.5);

    std::uint8_t head[58];
    ByteWriter w{head};
    w.Tag("RIFF");
    w.U32(static_cast<std::uint32_t>(4 + 26 + 12 + 8 + dataSize));
    w.Tag("WAVE");
    w.Tag("fmt ");
    w.U32(18);
    w.U16(kFormatFloat);
    w.U16(static_cast<std::uint16_t>(channels));
    w.U32(rate);
    w.U32(rate * channels * 4);
    w.U16(static_cast<std::uint16_t>(channels * 4));
    w.U16(32);
    w.U16(0);
    // Non-PCM formats carry a fact chunk with the frame count.
    w.Tag("fact");
    w.U32(4);
    w.U32(static_cast<std::uint32_t>(frames));
    w.Tag("data");
    w.U32(static_cast<std::uint32_t>(dataSize));

    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return Fail(error, "cannot create " + path);
    bool ok = std::fwrite(head, 1, sizeof head, file.get()) == sizeof head;
    constexpr std::uint64_t kBlockFrames = 4096;
    std::vector<std::uint8_t> block(static_cast<size_t>(kBlockFrames * channels * 4));
    for (std::uint64_t start = 0; start < frames && ok; start += kBlockFrames) {
        const std::uint64_t n = frames - start < kBlockFrames ? frames - start : kBlockFrames;
        ByteWriter b{block.data()};
        for (std::uint64_t f = start; f < start + n; ++f) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                std::uint32_t word;
                std::memcpy(&word, &audio.channels[c][f], sizeof word);
                b.U32(word);
            }
        }
        const size_t bytes = static_cast<size_t>(n * channels * 4);
        ok = std::fwrite(block.data(), 1, bytes, file.get()) == bytes;
    }
    if (std::fclose(file.release()) != 0) ok = false;
    return ok || Fail(error, "cannot write " + path);
}

}  // namespace tav
