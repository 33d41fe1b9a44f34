#pragma once
// The names Windows refuses for files and folders, checked on a path the install will make.
#include <stddef.h>

enum NameFault {
    NAME_GOOD,
    NAME_FORBIDDEN_CHARACTER, // / : * ? " < > | or a control character
    NAME_ENDS_IN_DOT_OR_BLANK,
    NAME_DEVICE, // CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with or without an extension
};

struct NameProblem {
    NameFault fault;
    unsigned char character; // NAME_FORBIDDEN_CHARACTER
    char name[128];          // the name at fault, cut to fit
};

// Checks each name of a path separated by backslashes; a drive prefix such as "C:" and a leading
// macro are allowed. With oneName, a backslash is a forbidden character too (a link name).
NameProblem FindNameProblem(const char* path, bool oneName);

// A message part for the problem, such as "the name \"A:B\" holds \":\", which Windows forbids in
// names".
void DescribeNameProblem(const NameProblem& problem, char* out, size_t size);
