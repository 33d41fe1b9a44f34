#pragma once
// Digests as CryptoAPI computes them, kept as lower-case hexadecimal text.
#include <stddef.h>

const size_t SHA256_DIGITS = 64;
const size_t SHA1_DIGITS = 40;
// Room for the longest digest's text and its terminator.
const size_t DIGEST_TEXT_SIZE = SHA256_DIGITS + 1;

// The digest of size bytes: SHA-256 for digits 64, SHA-1 for 40; for 0, SHA-256 where the system
// offers it (Windows XP SP3 and later), else SHA-1. False, with text emptied, when the system
// offers neither or text has no room for it.
bool DigestText(const void* bytes, size_t size, size_t digits, char* text, size_t textSize);
