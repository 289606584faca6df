// The directory search over Win32 FindFirstFileA, FindNextFileA and FindClose.
//
// Matching and order are the system's: letters match without regard to case,
// a name's short 8.3 alias can match too, and entries come in the order the
// file system keeps them.
#include "platform/directory_search.h"

#include <windows.h>

#include <cstring>
#include <new>

struct directory_search {
  HANDLE handle;
};

namespace {

void hand_out(const WIN32_FIND_DATAA& found, search_entry* entry) {
  static_assert(sizeof found.cFileName == sizeof entry->name,
                "an entry holds any name the system returns");
  std::memcpy(entry->name, found.cFileName, sizeof entry->name);
  entry->name[sizeof entry->name - 1] = '\0';
}

}  // namespace

search_handle search_first(const char* pattern, search_entry* entry) {
  WIN32_FIND_DATAA found;
  const HANDLE handle = FindFirstFileA(pattern, &found);
  if (handle == INVALID_HANDLE_VALUE) return no_search;
  directory_search* search = new (std::nothrow) directory_search{handle};
  if (search == nullptr) {
    FindClose(handle);
    return no_search;
  }
  hand_out(found, entry);
  return search;
}

bool search_next(search_handle search, search_entry* entry) {
  WIN32_FIND_DATAA found;
  if (search == no_search || !FindNextFileA(search->handle, &found)) return false;
  hand_out(found, entry);
  return true;
}

void search_close(search_handle search) {
  if (search == no_search) return;
  FindClose(search->handle);
  delete search;
}

// Every search asks the system afresh; there is nothing to forget.
void search_forget_folders() {}
