#include "system/argument_splitter.h"

#include "system/text.h"

namespace {
class ArgumentOut {
  public:
    ArgumentOut(char* out, size_t size, bool* fits) : out_(out), size_(size), fits_(fits) {
        *fits_ = true;
        if (size_)
            out_[0] = '\0';
    }
    void Put(const char* bytes, size_t count) {
        if (length_ + count >= size_) {
            *fits_ = false;
            return;
        }
        length_ += CopyTextN(out_ + length_, size_ - length_, bytes, count);
    }
    void PutBackslashes(size_t count) {
        for (size_t i = 0; i < count; ++i)
            Put("\\", 1);
    }

  private:
    char* out_;
    size_t size_;
    bool* fits_;
    size_t length_ = 0;
};
} // namespace

bool IsArgumentBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* SkipArgumentBlanks(const char* p) {
    while (IsArgumentBlank(*p))
        ++p;
    return p;
}

const char* SplitArgument(const char* p, char* out, size_t size, bool* fits, unsigned codePage) {
    ArgumentOut argument(out, size, fits);
    bool quoted = false;
    bool quoteOpenInValue = false; // an odd number of escaped quotes in this quoted part
    while (*p && (quoted || !IsArgumentBlank(*p))) {
        if (*p == '\\') {
            size_t count = 0;
            while (p[count] == '\\')
                ++count;
            const char* after = p + count;
            bool endsValue = *after == '"' && (!after[1] || IsArgumentBlank(after[1]));
            if (*after != '"') {
                argument.PutBackslashes(count);
            } else if (count % 2 == 1 && (!quoted || (endsValue && !quoteOpenInValue))) {
                argument.PutBackslashes(count / 2 + 1);
            } else {
                argument.PutBackslashes(count / 2);
                if (count % 2 == 1) {
                    argument.Put("\"", 1);
                    quoteOpenInValue = !quoteOpenInValue;
                    ++after;
                }
            }
            p = after;
        } else if (*p == '"') {
            if (quoted && p[1] == '"') {
                argument.Put("\"", 1);
                ++p;
            }
            quoted = !quoted;
            quoteOpenInValue = false;
            ++p;
        } else {
            size_t count = IsLeadByte(*p, codePage) && p[1] ? 2 : 1;
            argument.Put(p, count);
            p += count;
        }
    }
    return p;
}
