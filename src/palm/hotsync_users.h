#pragma once
// HotSync's list of users, as the bridge hands it out: each name ended by a NUL, the list by an
// empty name.
#include <stddef.h>

// The room HotSync's list is read into.
const size_t HOTSYNC_USER_LIST_SIZE = 8096;
// The entry that stands for every user.
extern const char ALL_USERS[];

// "All Users" in any case.
bool IsAllUsers(const char* name);
// The first name of names (size bytes) when name is null, else the one after name; null after the
// last, and for a name not ended within size.
const char* NextListedUser(const char* names, size_t size, const char* name);
// The name as HotSync spells it in names, compared without regard to case; null when it is not
// listed.
const char* FindListedUser(const char* names, size_t size, const char* wanted);

// The list read from HotSync into a buffer of its own.
class HotSyncUserList {
  public:
    HotSyncUserList();
    ~HotSyncUserList();
    HotSyncUserList(const HotSyncUserList&) = delete;
    HotSyncUserList& operator=(const HotSyncUserList&) = delete;

    // False, with no names, when the buffer could not be had or the bridge failed.
    bool Read();
    const char* Next(const char* name) const;
    const char* Find(const char* wanted) const;

  private:
    char* names_;
};
