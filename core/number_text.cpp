#include "core/number_text.h"

#include "core/decimal_read.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace tav {

namespace {
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

double ParseDecimal(const char* text) {
    if (text == nullptr) return 0.0;
    const char* p = text;
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const char* start = p;
    int digits = 0;
    while (IsDigit(*p)) ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) ++p, ++digits;
    }
    if (digits == 0) return 0.0;
    bool exponentNegative = false;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') {
            exponentNegative = *q == '-';
            ++q;
        }
        if (IsDigit(*q)) {
            while (IsDigit(*q)) ++q;
            p = q;
        }
    }
    double value = 0.0;
    const DecimalRead read = ReadDecimal(start, p, value);
    if (read == DecimalRead::OutOfRange) {
        value = exponentNegative ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (read != DecimalRead::Ok) {
        value = 0.0;
    }
    return negative ? -value : value;
}

void FormatFixed(double x, int decimals, char* out, size_t outSize) {
    if (out == nullptr || outSize == 0) return;
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text - 1, x, std::chars_format::fixed,
                                      decimals < 0 ? 0 : decimals);
    *(result.ec == std::errc() ? result.ptr : text) = '\0';
    CopyText(out, outSize, text);
}

void CopyText(char* out, size_t outSize, const char* text) {
    if (out == nullptr || outSize == 0) return;
    if (text == nullptr) text = "";
    size_t n = std::strlen(text);
    if (n >= outSize) n = outSize - 1;
    std::memcpy(out, text, n);
    out[n] = '\0';
}

}  // namespace tav
