#include "check/windows_names.h"

#include <string.h>

#include "system/text.h"

namespace {
const char* const DEVICE_NAMES[] = {"CON", "PRN", "AUX", "NUL"};

bool IsDeviceName(const char* name, size_t length) {
    // The device is the part before the first dot, blanks before the dot ignored.
    const char* dot = static_cast<const char*>(memchr(name, '.', length));
    size_t base = dot ? static_cast<size_t>(dot - name) : length;
    while (base > 0 && name[base - 1] == ' ')
        --base;
    char part[8];
    if (base < 3 || base > 4)
        return false;
    CopyTextN(part, sizeof(part), name, base);
    for (const char* device : DEVICE_NAMES) {
        if (EqualNoCase(part, device))
            return true;
    }
    return base == 4 && (StartsWithNoCase(part, "COM") || StartsWithNoCase(part, "LPT")) &&
           part[3] >= '1' && part[3] <= '9';
}

bool IsForbidden(unsigned char c, bool oneName) {
    return c < 32 || strchr("/:*?\"<>|", c) || (oneName && c == '\\');
}

NameProblem Problem(NameFault fault, unsigned char character, const char* name, size_t length) {
    NameProblem problem;
    problem.fault = fault;
    problem.character = character;
    CopyTextN(problem.name, sizeof(problem.name), name, length);
    return problem;
}
} // namespace

NameProblem FindNameProblem(const char* path, bool oneName) {
    const char* name = path;
    if (!oneName) {
        // A drive prefix, or the first macro standing for a folder.
        if (((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
            name[1] == ':')
            name += 2;
        else if (name[0] == '%' && strchr(name + 1, '%'))
            name = strchr(name + 1, '%') + 1;
    }
    while (*name) {
        const char* end = oneName ? name + strlen(name) : FindChar(name, '\\');
        if (!end)
            end = name + strlen(name);
        size_t length = static_cast<size_t>(end - name);
        for (const char* c = name; c < end; ++c) {
            if (IsLeadByte(*c) && c + 1 < end) {
                ++c;
                continue;
            }
            if (IsForbidden(static_cast<unsigned char>(*c), oneName))
                return Problem(NAME_FORBIDDEN_CHARACTER, static_cast<unsigned char>(*c), name,
                               length);
        }
        bool relative =
            (length == 1 && name[0] == '.') || (length == 2 && name[0] == '.' && name[1] == '.');
        if (length > 0 && !relative && (end[-1] == '.' || end[-1] == ' '))
            return Problem(NAME_ENDS_IN_DOT_OR_BLANK, 0, name, length);
        if (IsDeviceName(name, length))
            return Problem(NAME_DEVICE, 0, name, length);
        name = *end ? end + 1 : end;
    }
    return Problem(NAME_GOOD, 0, "", 0);
}

void DescribeNameProblem(const NameProblem& problem, char* out, size_t size) {
    switch (problem.fault) {
    case NAME_FORBIDDEN_CHARACTER:
        if (problem.character < 32)
            FormatText(out, size,
                       "the name \"%s\" holds the control character 0x%02X, which Windows "
                       "forbids in names",
                       problem.name, problem.character);
        else
            FormatText(out, size, "the name \"%s\" holds \"%c\", which Windows forbids in names",
                       problem.name, problem.character);
        break;
    case NAME_ENDS_IN_DOT_OR_BLANK:
        FormatText(out, size,
                   "the name \"%s\" ends in a dot or blank, which Windows drops, so the name "
                   "made is another",
                   problem.name);
        break;
    case NAME_DEVICE:
        FormatText(out, size,
                   "the name \"%s\" is a device name Windows reserves (CON, PRN, AUX, NUL, COM1 "
                   "to COM9, LPT1 to LPT9, also with an extension)",
                   problem.name);
        break;
    case NAME_GOOD:
        CopyText(out, size, "");
        break;
    }
}
