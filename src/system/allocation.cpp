// Global allocation for Setup.exe. The C++ runtime's own operators report failure by throwing,
// which drags its unwinder and, through that, a threading library into the program whose imports
// Windows 95 to XP lack. The program throws nothing and checks every nothrow allocation.
#include <new>
#include <stdlib.h>

void* operator new(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block)
        abort();
    return block;
}

void* operator new[](size_t size) {
    return operator new(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return malloc(size ? size : 1);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return malloc(size ? size : 1);
}

void operator delete(void* block) noexcept {
    free(block);
}
void operator delete[](void* block) noexcept {
    free(block);
}
void operator delete(void* block, size_t) noexcept {
    free(block);
}
void operator delete[](void* block, size_t) noexcept {
    free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    free(block);
}
