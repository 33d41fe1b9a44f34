#pragma once
// The head of this thread's structured exception registration chain (fs:0), to check that a
// guard leaves the chain as it found it. Read directly: the headers' NtCurrentTeb trips GCC's
// array-bounds warning.
inline void* SehChainHead() {
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}
