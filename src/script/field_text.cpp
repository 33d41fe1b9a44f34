#include "script/field_text.h"

#include <string.h>

#include "system/text.h"

size_t CopyField(char* dest, size_t size, const char* src, unsigned codePage) {
    if (!dest || size == 0)
        return 0;
    size_t keep = 0;
    if (src) {
        while (src[keep] != '\0') {
            size_t step = (IsLeadByte(src[keep], codePage) && src[keep + 1] != '\0') ? 2 : 1;
            if (keep + step > size - 1)
                break;
            keep += step;
        }
    }
    return CopyTextN(dest, size, src, keep);
}

int32_t ReadDecimal(const char* text) {
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= INT32_MAX)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool ReadPlainNumber(const char* text, int* number) {
    const char* digits = *text == '-' ? text + 1 : text;
    size_t length = strlen(digits);
    if (length == 0 || length > 9 || (digits[0] == '0' && length > 1))
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
    }
    *number = ReadDecimal(text);
    return true;
}

int32_t AddSizes(int32_t a, int32_t b) {
    int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(sum);
}
