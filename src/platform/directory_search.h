// Searching the working directory for the entries whose names match a
// wildcard pattern, one entry at a time. One file per operating system
// implements it.
#ifndef PICINDEX_PLATFORM_DIRECTORY_SEARCH_H_
#define PICINDEX_PLATFORM_DIRECTORY_SEARCH_H_

/// What one search step hands over: the entry's own name, without any
/// directory part, NUL-terminated.
struct search_entry {
  char name[260];
};

/// One open search. Opaque; no_search means that no search could be started.
struct directory_search;
using search_handle = directory_search*;
constexpr search_handle no_search = nullptr;

/// Starts a search of the working directory for `pattern` (`*` stands for any
/// run of characters, every other character for itself) and fills `entry` with
/// the first match. Returns no_search when nothing matches or the search cannot
/// be made at all.
search_handle search_first(const char* pattern, search_entry* entry);

/// Fills `entry` with the next match. Returns false at the end of the matches,
/// and on any failure, which also ends the search.
bool search_next(search_handle search, search_entry* entry);

/// Releases a search that search_first started.
void search_close(search_handle search);

/// Forgets what the searches so far have learnt of any folder, so that the
/// next search reads the folder afresh. A run starts with it.
void search_forget_folders();

#endif  // PICINDEX_PLATFORM_DIRECTORY_SEARCH_H_
