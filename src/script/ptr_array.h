#pragma once
#include <stdint.h>

// Growable array of pointers. With a releaseFn it owns its elements: Clear calls it once per slot
// with the slot's address.
class PtrArray {
  public:
    using ReleaseFn = void (*)(void** slot);

    explicit PtrArray(ReleaseFn release = nullptr) : releaseFn(release) {}
    ~PtrArray() { Clear(); }
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;

    // Adds n null slots; returns the first of them, or null (and an emptied array) when memory
    // ran out.
    void** Append(int32_t n = 1);
    // Appends one element; false when memory ran out.
    bool Add(void* element);
    void Clear();

    void* At(int32_t index) const { return data[index]; }
    int32_t Count() const { return count; }

    ReleaseFn releaseFn;
    int32_t count = 0;
    int32_t capacity = 0;
    int32_t growBy = 20;
    void** data = nullptr;
};
