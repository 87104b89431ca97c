#include "tests/raster/png_test_files.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tav::test {
namespace {

void PutBig32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t Big32(const Bytes& b, size_t at) {
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

void AppendChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, static_cast<uint32_t>(
                      crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// Byte offset of the first chunk of this type, or 0.
size_t FindChunk(const Bytes& png, const char* type) {
    for (size_t at = 8; at + 8 <= png.size(); at += 12 + Big32(png, at))
        if (std::equal(type, type + 4, png.begin() + static_cast<ptrdiff_t>(at + 4))) return at;
    return 0;
}

Bytes Suite(const char* name) {
    return ReadFile(PngSuiteDir() + "/" + name);
}

Bytes WithoutChunks(const Bytes& png, const char* type) {
    Bytes out(png.begin(), png.begin() + 8);
    for (size_t at = 8; at + 12 <= png.size(); at += 12 + Big32(png, at)) {
        if (std::equal(type, type + 4, png.begin() + static_cast<ptrdiff_t>(at + 4))) continue;
        out.insert(out.end(), png.begin() + static_cast<ptrdiff_t>(at),
                   png.begin() + static_cast<ptrdiff_t>(at + 12 + Big32(png, at)));
    }
    return out;
}

Bytes Expanding(const Bytes& png, uint8_t match, uint8_t before) {
    Bytes out;
    for (uint8_t b : png) {
        if (b == match) out.push_back(before);
        out.push_back(b);
    }
    return out;
}

}  // namespace

std::string DepsDir(const std::string& relative) {
    return std::string(TAV_SOURCE_DIR) + "/deps/" + relative;
}

::testing::AssertionResult HasDepsDir(const std::string& relative) {
    std::error_code error;
    if (std::filesystem::is_directory(DepsDir(relative), error))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "deps/" << relative << " is missing: run ./run setup";
}

std::string PngSuiteDir() {
    return DepsDir(kPngSuite);
}

std::vector<std::string> PngSuiteFiles() {
    std::vector<std::string> files;
    for (const std::string& dir : {PngSuiteDir(), PngSuiteDir() + "/interlaced"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir, error))
            if (entry.path().extension() == ".png") files.push_back(entry.path().generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string parent = slash == std::string::npos ? "" : path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    // Interlaced copies share names with the top folder's; keep them apart.
    return parent.size() >= 10 && parent.compare(parent.size() - 10, 10, "interlaced") == 0
               ? "interlaced/" + name
               : name;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes BuildPng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
               const Bytes& scanlines) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    uLongf size = compressBound(static_cast<uLong>(scanlines.size()));
    Bytes packed(size);
    compress2(packed.data(), &size, scanlines.data(), static_cast<uLong>(scanlines.size()), 9);
    packed.resize(size);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
}

void PatchHeader(Bytes& png, size_t offset, const Bytes& value) {
    std::copy(value.begin(), value.end(), png.begin() + static_cast<ptrdiff_t>(offset));
    const uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        png[29 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

std::vector<CorruptImage> CorruptImages() {
    std::vector<CorruptImage> out;
    auto signature = [&](const char* name, size_t at, uint8_t value) {
        Bytes png = Suite("basn0g01.png");
        png[at] = value;
        out.push_back({name, png});
    };
    signature("xs1n0g01", 0, 0x09);  // top bit of the first byte lost
    signature("xs2n0g01", 1, 'Q');
    signature("xs4n0g01", 3, 'g');
    signature("xs7n0g01", 6, ' ');
    out.push_back({"xcrn0g04", Expanding(Suite("basn0g04.png"), '\n', '\r')});
    out.push_back({"xlfn0g04", Expanding(Suite("basn0g04.png"), '\r', '\n')});

    Bytes badHeaderCrc = Suite("basn0g08.png");
    badHeaderCrc[30] ^= 0x40;
    out.push_back({"xhdn0g08", badHeaderCrc});
    auto header = [&](const char* name, const char* source, size_t at, Bytes value) {
        Bytes png = Suite(source);
        PatchHeader(png, at, value);
        out.push_back({name, png});
    };
    header("xc1n0g08", "basn0g08.png", 25, {1});
    header("xc9n2c08", "basn2c08.png", 25, {9});
    header("xd0n2c08", "basn2c08.png", 24, {0});
    header("xd3n2c08", "basn2c08.png", 24, {3});
    header("xd9n2c08", "basn2c08.png", 24, {99});
    header("too_wide", "basn2c08.png", 16, {0, 0, 0x40, 0x01});  // 16385
    header("too_tall", "basn2c08.png", 20, {0, 0, 0x40, 0x01});
    header("huge", "basn2c08.png", 16, {0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF});
    header("zero_width", "basn2c08.png", 16, {0, 0, 0, 0});
    // 805 MB of pixels claimed by 1.5 KB of data.
    header("claims_16384_square", "basn2c08.png", 16, {0, 0, 0x40, 0, 0, 0, 0x40, 0});

    out.push_back({"xdtn0g01", WithoutChunks(Suite("basn0g01.png"), "IDAT")});
    Bytes badDataCrc = Suite("basn0g01.png");
    const size_t idat = FindChunk(badDataCrc, "IDAT");
    badDataCrc[idat + 8 + Big32(badDataCrc, idat)] ^= 0x01;
    out.push_back({"xcsn0g01", badDataCrc});

    // An IDAT that claims almost 2 GiB: the reader's zeros past the end must run out.
    Bytes endless = Suite("basn0g16.png");
    const size_t data = FindChunk(endless, "IDAT");
    endless.resize(data + 8 + Big32(endless, data) / 2);
    endless[data] = 0x7F;
    out.push_back({"idat_beyond_the_data", endless});
    return out;
}

}  // namespace tav::test
