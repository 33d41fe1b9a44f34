#pragma once

// Cuts bytes 1 to 32 from both ends of text in place; returns the first byte kept.
char* TrimField(char* text);

// Takes the next ";"-separated field of *cursor: cuts it off in place, trims it and moves
// *cursor behind it (null once the last field is taken). *cursor must not be null.
char* NextField(char** cursor);
