#include "palm/hotsync_users.h"

#include <stdlib.h>
#include <string.h>

#include "palm/palm_bridge.h"
#include "system/text.h"

const char ALL_USERS[] = "All Users";

bool IsAllUsers(const char* name) {
    return EqualNoCase(name, ALL_USERS);
}

const char* NextListedUser(const char* names, size_t size, const char* name) {
    const char* end = names + size;
    const char* next = name ? name + strnlen(name, end - name) + 1 : names;
    if (next >= end || !*next || strnlen(next, end - next) == static_cast<size_t>(end - next))
        return nullptr;
    return next;
}

const char* FindListedUser(const char* names, size_t size, const char* wanted) {
    for (const char* name = NextListedUser(names, size, nullptr); name;
         name = NextListedUser(names, size, name)) {
        if (EqualNoCase(name, wanted))
            return name;
    }
    return nullptr;
}

// Eight kilobytes kept off the stack.
HotSyncUserList::HotSyncUserList()
    : names_(static_cast<char*>(calloc(1, HOTSYNC_USER_LIST_SIZE))) {}

HotSyncUserList::~HotSyncUserList() {
    free(names_);
}

bool HotSyncUserList::Read() {
    if (!names_)
        return false;
    if (GetHotSyncUsers(names_, HOTSYNC_USER_LIST_SIZE))
        return true;
    memset(names_, 0, HOTSYNC_USER_LIST_SIZE);
    return false;
}

const char* HotSyncUserList::Next(const char* name) const {
    return names_ ? NextListedUser(names_, HOTSYNC_USER_LIST_SIZE, name) : nullptr;
}

const char* HotSyncUserList::Find(const char* wanted) const {
    return names_ ? FindListedUser(names_, HOTSYNC_USER_LIST_SIZE, wanted) : nullptr;
}
