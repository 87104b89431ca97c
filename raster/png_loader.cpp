#include "raster/png_loader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "raster/bitmap_rows.h"
#include "raster/file_open.h"

namespace tav {
namespace {

// The oldest 1.6 release whose interface we rely on; any 1.6 library accepts it.
constexpr char kLibpngVersion[] = "1.6.21";
constexpr size_t kSignatureSize = 8;

// Past the end the reader hands out zero bytes rather than failing: libpng then
// judges from the data whether the image is usable. The zeros are limited, though: a
// chunk that claims a length far beyond the data would otherwise be read and checked
// byte by zero byte for up to 2 GiB.
constexpr size_t kMaxBytesPastEnd = 1 << 20;

// Deflate expands its input at most 1032-fold, so n bytes of PNG carry at most 1032 n
// bytes of pixels. An image that needs more is cut short for certain; refusing it
// from its header saves taking memory for pixels that can never arrive (a 200-byte
// file can claim 16384 x 16384, a gigabyte).
constexpr uint64_t kMaxDeflateExpansion = 1032;
constexpr uint64_t kUnknownDataSize = UINT64_MAX / kMaxDeflateExpansion;

struct MemoryReader {
    const png_byte* next;
    size_t left;
    size_t pastEnd;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    std::memset(out, 0, length);
    const size_t n = length < reader->left ? length : reader->left;
    if (n > 0) std::memcpy(out, reader->next, n);
    reader->next += n;
    reader->left -= n;
    reader->pastEnd += length - n;
    if (reader->pastEnd > kMaxBytesPastEnd) png_error(png, "read far past the end of the data");
}

// libpng must neither print nor abort inside a host: errors jump back to the decoder,
// warnings are dropped.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Everything a decode owns, released in one place whether it succeeds or not. It lives
// outside the function that calls setjmp, so a longjmp skips no destructor.
struct DecodeJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytepp rows = nullptr;
    RasterBitmap* given = nullptr;  // destination supplied by the caller, if any
    std::unique_ptr<MemoryBitmap> created;
    RasterBitmap* target = nullptr;
    MemoryReader reader{nullptr, 0, 0};
    std::FILE* file = nullptr;
    uint64_t dataBytes = kUnknownDataSize;  // the whole PNG, signature included

    ~DecodeJob() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        std::free(rows);
        if (file != nullptr) std::fclose(file);
    }
};

void RequestTransforms(png_structp png, png_infop info, int bitDepth, int colourType) {
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(png);
        colourType |= PNG_COLOR_MASK_ALPHA;
    }
    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    // libpng then writes A (or 0xFF), R, G, B per pixel; see ToNativePixels.
    if ((colourType & PNG_COLOR_MASK_ALPHA) != 0)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
}

bool Acceptable(png_uint_32 width, png_uint_32 height, int bitsPerPixel, uint64_t dataBytes) {
    if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide) return false;
    const uint64_t bytes = uint64_t{width} * height * 4;
    if (bytes / 4 / height != width || bytes > 0x7FFFFFFFu) return false;
    const uint64_t packedBytes = uint64_t{width} * height * static_cast<uint64_t>(bitsPerPixel) / 8;
    return packedBytes <= dataBytes * kMaxDeflateExpansion;
}

// The size of an open file, or kUnknownDataSize where it cannot be told.
uint64_t FileSize(std::FILE* file) {
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return kUnknownDataSize;
    const long end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return 0;  // refuse: the read would go wrong
    return end < 0 ? kUnknownDataSize : static_cast<uint64_t>(end);
}

// Bytes A, R, G, B in memory become the word A<<24 | R<<16 | G<<8 | B.
void ToNativePixels(png_bytepp rows, png_uint_32 width, png_uint_32 height) {
    for (png_uint_32 y = 0; y < height; ++y) {
        png_bytep p = rows[y];
        for (png_uint_32 x = 0; x < width; ++x, p += 4) {
            const Pixel word = Pixel{p[0]} << 24 | Pixel{p[1]} << 16 | Pixel{p[2]} << 8 | p[3];
            std::memcpy(p, &word, sizeof word);
        }
    }
}

// All libpng calls that can fail happen here, under the jump buffer. Only the job is
// touched, never locals, so nothing is lost when libpng jumps back.
bool RunDecode(DecodeJob* job) {
    if (setjmp(png_jmpbuf(job->png)) != 0) return false;
    if (job->file != nullptr) {
        png_init_io(job->png, job->file);
        png_set_sig_bytes(job->png, kSignatureSize);
    } else {
        png_set_read_fn(job->png, &job->reader, ReadFromMemory);
    }
    png_read_info(job->png, job->info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(job->png, job->info, &width, &height, &bitDepth, &colourType, &interlace,
                 &compression, &filter);
    const int bitsPerPixel = bitDepth * png_get_channels(job->png, job->info);
    if (!Acceptable(width, height, bitsPerPixel, job->dataBytes)) return false;
    RequestTransforms(job->png, job->info, bitDepth, colourType);

    const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
    if (job->given != nullptr) {
        job->given->Resize(w, h);
        job->target = job->given;
    } else {
        job->created.reset(new (std::nothrow) MemoryBitmap(w, h, 4));
        job->target = job->created.get();
    }
    if (job->target == nullptr || job->target->Width() != w || job->target->Height() != h ||
        job->target->Pixels() == nullptr || job->target->RowPitch() < w)
        return false;

    job->rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    if (job->rows == nullptr) return false;
    const BitmapRows target = BitmapRows::Of(*job->target);
    for (png_uint_32 y = 0; y < height; ++y)
        job->rows[y] = reinterpret_cast<png_bytep>(target.Row(static_cast<ptrdiff_t>(y)));
    png_read_image(job->png, job->rows);
    ToNativePixels(job->rows, width, height);
    return true;
}

bool StartJob(DecodeJob* job) {
    job->png = png_create_read_struct(kLibpngVersion, nullptr, OnPngError, OnPngWarning);
    if (job->png == nullptr) return false;
    job->info = png_create_info_struct(job->png);
    return job->info != nullptr;
}

bool DecodeMemoryInto(const void* data, size_t size, DecodeJob* job) {
    if (data == nullptr || size < kSignatureSize ||
        png_sig_cmp(static_cast<png_const_bytep>(data), 0, kSignatureSize) != 0)
        return false;
    job->reader = {static_cast<const png_byte*>(data), size, 0};
    job->dataBytes = size;
    return StartJob(job) && RunDecode(job);
}

bool DecodeFileInto(const char* utf8Path, DecodeJob* job) {
    if (utf8Path == nullptr) return false;
    job->file = OpenFileForReading(utf8Path);
    if (job->file == nullptr) return false;
    job->dataBytes = FileSize(job->file);
    png_byte signature[kSignatureSize] = {};
    if (std::fread(signature, 1, kSignatureSize, job->file) != kSignatureSize ||
        png_sig_cmp(signature, 0, kSignatureSize) != 0)
        return false;
    return StartJob(job) && RunDecode(job);
}

}  // namespace

std::unique_ptr<MemoryBitmap> DecodePngMemory(const void* data, size_t size) {
    DecodeJob job;
    if (!DecodeMemoryInto(data, size, &job)) return nullptr;
    return std::move(job.created);
}

bool DecodePngMemory(const void* data, size_t size, RasterBitmap& destination) {
    DecodeJob job;
    job.given = &destination;
    return DecodeMemoryInto(data, size, &job);
}

std::unique_ptr<MemoryBitmap> LoadPngFile(const char* utf8Path) {
    DecodeJob job;
    if (!DecodeFileInto(utf8Path, &job)) return nullptr;
    return std::move(job.created);
}

bool LoadPngFile(const char* utf8Path, RasterBitmap& destination) {
    DecodeJob job;
    job.given = &destination;
    return DecodeFileInto(utf8Path, &job);
}

}  // namespace tav
