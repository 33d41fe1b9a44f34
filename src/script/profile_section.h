#pragma once
// One section of a profile file read with a single GetPrivateProfileSectionA call, its keys then
// looked up as GetPrivateProfileStringA looks them up: without regard to case, the first
// occurrence winning (a line without "=" too), outer blanks and one pair of matching outer quotes
// taken off the value. One lookup per key would cost a pass over the section each.
#include <stddef.h>
#include <stdint.h>

class ProfileSection {
  public:
    ProfileSection() = default;
    ~ProfileSection();
    ProfileSection(const ProfileSection&) = delete;
    ProfileSection& operator=(const ProfileSection&) = delete;

    // False when the section could not be read whole (the system caps what it returns, or memory
    // ran out): its keys must then be read one by one. A missing section reads as empty.
    bool Read(const char* path, const char* section);
    // The key's value, or null when the key is absent or its first line has no "=".
    const char* Find(const char* key) const;

  private:
    struct Slot {
        const char* key; // null: free
        const char* value;
    };
    bool Fetch(const char* path, const char* section);
    bool Index();

    char* text_ = nullptr;
    size_t size_ = 0;
    Slot* slots_ = nullptr;
    uint32_t slotCount_ = 0; // a power of two, or 0
};

// Hash of a name that is equal for names that EqualNoCase takes as equal.
uint32_t HashNoCase(const char* text);

// A key's value as the profile functions return it, taken off in place: outer blanks and one pair
// of matching outer quotes removed.
char* ProfileValue(char* text);
