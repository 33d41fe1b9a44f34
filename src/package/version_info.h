#pragma once
// The version resource a package's starter carries, so that Explorer's Properties name the
// product: built as the bytes of a VS_VERSIONINFO block.
#include <stddef.h>
#include <stdint.h>

struct ProductVersionInfo {
    const char* company;
    const char* title;   // the product's name
    const char* version; // free text; its leading numbers become the numeric version
};

// Up to four numbers separated by "." from the start of the text ("2.1 beta" gives 2, 1, 0, 0);
// each at most 65535.
void ParseVersionNumbers(const char* text, uint16_t numbers[4]);

// Writes the block into out (the texts read through this machine's ANSI code page); its size,
// 0 when room is short.
size_t BuildVersionInfo(const ProductVersionInfo& info, uint8_t* out, size_t room);
