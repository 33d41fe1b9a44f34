#include "starter/starter_format.h"

namespace {
struct Output {
    char* out;
    size_t size;
    size_t at;

    void Put(char c) {
        if (at < size)
            out[at] = c;
        ++at;
    }
    void Repeat(char c, int count) {
        for (; count > 0; --count)
            Put(c);
    }
};

// A width or precision: digits, or * for the next argument.
int ReadNumber(const char*& f, va_list& args) {
    if (*f == '*') {
        ++f;
        return va_arg(args, int);
    }
    int number = 0;
    while (*f >= '0' && *f <= '9')
        number = number * 10 + (*f++ - '0');
    return number;
}
} // namespace

int StarterFormat(char* out, size_t size, const char* format, va_list args) {
    Output o = {out, size, 0};
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            o.Put(*f);
            continue;
        }
        bool left = false, zero = false, alternate = false;
        char sign = 0;
        for (++f;; ++f) {
            if (*f == '-')
                left = true;
            else if (*f == '0')
                zero = true;
            else if (*f == '+')
                sign = '+';
            else if (*f == ' ')
                sign = sign ? sign : ' ';
            else if (*f == '#')
                alternate = true;
            else
                break;
        }
        int width = ReadNumber(f, args);
        if (width < 0) {
            left = true;
            width = -width;
        }
        int precision = -1;
        if (*f == '.') {
            ++f;
            precision = ReadNumber(f, args);
            if (precision < 0)
                precision = -1;
        }
        while (*f == 'h' || *f == 'l')
            ++f;
        char digits[12];
        const char* text = digits;
        int length = 0;
        const char* prefix = "";
        int zeros = 0;
        switch (*f) {
        case 's':
            text = va_arg(args, const char*);
            if (!text)
                text = "(null)";
            while (text[length] && (precision < 0 || length < precision))
                ++length;
            sign = 0;
            break;
        case 'c':
            digits[0] = static_cast<char>(va_arg(args, int));
            length = 1;
            sign = 0;
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
        case 'p': {
            unsigned long value = va_arg(args, unsigned long);
            bool isSigned = *f == 'd' || *f == 'i';
            if (isSigned && static_cast<long>(value) < 0) {
                value = 0 - value;
                sign = '-';
            } else if (!isSigned) {
                sign = 0;
            }
            unsigned base = *f == 'o' ? 8 : *f == 'x' || *f == 'X' || *f == 'p' ? 16 : 10;
            const char* set = *f == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
            if (*f == 'p')
                precision = 8;
            if (alternate && value && base == 16)
                prefix = *f == 'x' ? "0x" : "0X";
            for (; value; value /= base)
                digits[sizeof(digits) - ++length] = set[value % base];
            if (alternate && base == 8)
                digits[sizeof(digits) - ++length] = '0';
            text = digits + sizeof(digits) - length;
            if (precision < 0)
                precision = 1;
            else
                zero = false;
            zeros = precision > length ? precision - length : 0;
            break;
        }
        case '\0':
            --f;
            continue;
        default:
            o.Put(*f);
            continue;
        }
        int prefixLength = (sign ? 1 : 0) + (prefix[0] ? 2 : 0);
        int total = prefixLength + zeros + length;
        if (zero && !left && width > total) {
            zeros += width - total;
            total = width;
        }
        if (!left)
            o.Repeat(' ', width - total);
        if (sign)
            o.Put(sign);
        while (*prefix)
            o.Put(*prefix++);
        o.Repeat('0', zeros);
        for (int i = 0; i < length; ++i)
            o.Put(text[i]);
        if (left)
            o.Repeat(' ', width - total);
    }
    if (size)
        out[o.at < size ? o.at : size - 1] = '\0';
    return static_cast<int>(o.at);
}
