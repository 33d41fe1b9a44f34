#pragma once

// Cuts bytes 1 to 32 from both ends of text in place; returns the first byte kept.
char* TrimField(char* text);
