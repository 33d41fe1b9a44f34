#include "script/ptr_array.h"

#include <stdlib.h>

void** PtrArray::Append(int32_t n) {
    if (n < 0)
        return nullptr;
    if (capacity < count + n) {
        int32_t newCapacity = capacity + growBy * (n / growBy + 1);
        void** grown = static_cast<void**>(realloc(data, sizeof(void*) * newCapacity));
        if (!grown) {
            // The array is left empty; what it owned is released rather than leaked.
            Clear();
            return nullptr;
        }
        data = grown;
        capacity = newCapacity;
    }
    void** first = data + count;
    for (int32_t i = 0; i < n; ++i)
        first[i] = nullptr;
    count += n;
    return first;
}

bool PtrArray::Add(void* element) {
    void** slot = Append(1);
    if (!slot)
        return false;
    *slot = element;
    return true;
}

void PtrArray::Clear() {
    if (data) {
        if (releaseFn) {
            for (int32_t i = 0; i < count; ++i)
                releaseFn(&data[i]);
        }
        free(data);
    }
    data = nullptr;
    count = 0;
    capacity = 0;
}
