#pragma once
// Waits on the one thread that also owns the windows. Windows calls a window that has not taken
// its messages for five seconds "not responding" and offers to end the program, so a long step
// keeps serving sent messages, paints and timers. Keyboard and mouse input is dropped, never
// queued for later: nothing the user does during the step may start anything once it ends.
#include <windows.h>

// Waits until the object is signalled (none: only the time) or ms have passed (INFINITE: no
// limit), serving messages meanwhile. The time is the caller's pause and is kept in full.
void WaitServingMessages(HANDLE object, DWORD ms);

// Serves whatever is queued now, dropping input.
void ServeMessages();

// Serves the queue when at least the interval has passed since *lastServed (a GetTickCount
// value the caller keeps), so that a loop of short steps stays answering at little cost.
void ServeMessagesEvery(DWORD* lastServed, DWORD intervalMs);
