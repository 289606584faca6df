// The directory search over POSIX opendir/readdir.
//
// A search reads the whole folder, keeps the names that match, and hands them
// out in a fixed order: ascending byte by byte with ASCII letters folded to
// upper case, and names equal after folding in plain byte order. (readdir's
// own order is effectively random.) Letters match without regard to case, so
// PHOTO.JPG is found by "*.jpg". The entries "." and ".." are never yielded.
//
// Reading a big folder is most of the work, so the names read are kept as a
// snapshot of the folder: later searches of the same folder use it instead of
// reading the folder again, until search_forget_folders() drops it.
#include "platform/directory_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Names one after another, each as a length byte, the name, and a NUL.
// realloc lets a large block grow in place, without a second copy.
struct name_list {
  char* bytes = nullptr;
  std::size_t size = 0;
  std::size_t capacity = 0;
  std::size_t count = 0;

  bool add(const char* name, std::size_t length) {
    const std::size_t needed = size + length + 2;
    if (needed > capacity) {
      std::size_t grown = capacity < 65536 ? 65536 : capacity * 2;
      while (grown < needed) grown *= 2;
      char* moved = static_cast<char*>(std::realloc(bytes, grown));
      if (moved == nullptr) return false;
      bytes = moved;
      capacity = grown;
    }
    bytes[size] = static_cast<char>(length);
    std::memcpy(bytes + size + 1, name, length + 1);
    size = needed;
    ++count;
    return true;
  }

  void clear() {
    std::free(bytes);
    *this = name_list();
  }
};

// The names of the last folder read, while it may serve further searches.
struct folder_snapshot {
  bool valid = false;
  dev_t device = 0;
  ino_t inode = 0;
  name_list names;
};
folder_snapshot snapshot;

// The longest name kept: its length fits a byte (Linux allows no longer
// names) and the name fits search_entry::name.
constexpr std::size_t longest_name = 255;
static_assert(longest_name < sizeof(search_entry::name), "names must fit an entry");

// Reads the folder open as `dir` into the snapshot, unless the snapshot
// already holds it.
void read_folder(DIR* dir) {
  struct stat info;
  const bool known = fstat(dirfd(dir), &info) == 0;
  if (known && snapshot.valid && snapshot.device == info.st_dev &&
      snapshot.inode == info.st_ino)
    return;

  snapshot.valid = false;
  snapshot.names.clear();
  bool whole = known;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) whole = false;  // a failed read ends the listing
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
      continue;
    const std::size_t length = std::strlen(name);
    if (length > longest_name) continue;  // cannot be handed over whole
    if (!snapshot.names.add(name, length)) {
      whole = false;
      break;
    }
  }
  // Only a complete reading may stand in for reading the folder again.
  if (whole) {
    snapshot.valid = true;
    snapshot.device = info.st_dev;
    snapshot.inode = info.st_ino;
  }
}

unsigned char fold(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// Whether `name` matches `pattern`: `*` stands for any run of bytes, every
// other byte for itself, ASCII letters in either case.
bool matches(const char* pattern, const char* name) {
  const char* star = nullptr;   // the last `*` seen in the pattern
  const char* resume = nullptr; // where the name goes on if that `*` takes one more byte
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern != '\0' &&
               fold(static_cast<unsigned char>(*pattern)) ==
                   fold(static_cast<unsigned char>(*name))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

// Whether the name of `length` bytes ends with `suffix` of `suffix_length`
// bytes, ASCII letters in either case.
bool ends_with(const char* name, std::size_t length, const char* suffix,
               std::size_t suffix_length) {
  if (length < suffix_length) return false;
  const char* tail = name + length - suffix_length;
  for (std::size_t i = 0; i < suffix_length; ++i) {
    if (fold(static_cast<unsigned char>(tail[i])) !=
        fold(static_cast<unsigned char>(suffix[i])))
      return false;
  }
  return true;
}

// The order names are handed out in: a < b.
bool comes_before(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    const unsigned char fx = fold(*x);
    const unsigned char fy = fold(*y);
    if (fx != fy) return fx < fy;
    if (fx == '\0') break;
  }
  return std::strcmp(a, b) < 0;
}

}  // namespace

struct directory_search {
  name_list names;                // the matches, as read
  std::uint32_t* order = nullptr; // where each match starts in names, sorted
  std::size_t next = 0;           // the match to hand out next
};

namespace {

void hand_out(const directory_search* search, search_entry* entry) {
  const char* at = search->names.bytes + search->order[search->next];
  const std::size_t length = static_cast<unsigned char>(at[0]);
  std::memcpy(entry->name, at + 1, length + 1);
}

void release(directory_search* search) {
  search->names.clear();
  std::free(search->order);
  delete search;
}

}  // namespace

search_handle search_first(const char* pattern, search_entry* entry) {
  // A pattern may name a folder before its last '/'; without, it is ".".
  const char* slash = std::strrchr(pattern, '/');
  const char* name_pattern = slash != nullptr ? slash + 1 : pattern;
  DIR* dir;
  if (slash == nullptr) {
    dir = opendir(".");
  } else if (slash == pattern) {
    dir = opendir("/");
  } else {
    char* folder = strndup(pattern, static_cast<std::size_t>(slash - pattern));
    if (folder == nullptr) return no_search;
    dir = opendir(folder);
    std::free(folder);
  }
  if (dir == nullptr) return no_search;
  read_folder(dir);
  closedir(dir);

  directory_search* search = new (std::nothrow) directory_search;
  if (search == nullptr) return no_search;

  // "*" and a plain tail, like "*.jpg", is a test of the name's end.
  const bool tail_only = name_pattern[0] == '*' &&
                         std::strchr(name_pattern + 1, '*') == nullptr;
  const char* tail = name_pattern + 1;
  const std::size_t tail_length = std::strlen(tail);

  const name_list& all = snapshot.names;
  for (std::size_t at = 0; at < all.size;) {
    const std::size_t length = static_cast<unsigned char>(all.bytes[at]);
    const char* name = all.bytes + at + 1;
    at += length + 2;
    const bool match = tail_only ? ends_with(name, length, tail, tail_length)
                                 : matches(name_pattern, name);
    if (match && !search->names.add(name, length)) break;
  }
  if (!snapshot.valid) snapshot.names.clear();

  const std::size_t count = search->names.count;
  if (count == 0 ||
      search->names.size > UINT32_MAX ||
      (search->order = static_cast<std::uint32_t*>(
           std::malloc(count * sizeof(std::uint32_t)))) == nullptr) {
    release(search);
    return no_search;
  }
  std::size_t at = 0;
  for (std::size_t i = 0; i < count; ++i) {
    search->order[i] = static_cast<std::uint32_t>(at);
    at += static_cast<unsigned char>(search->names.bytes[at]) + 2;
  }
  const char* base = search->names.bytes + 1;
  std::sort(search->order, search->order + count,
            [base](std::uint32_t a, std::uint32_t b) {
              return comes_before(base + a, base + b);
            });
  hand_out(search, entry);
  return search;
}

bool search_next(search_handle search, search_entry* entry) {
  if (search == no_search || ++search->next >= search->names.count) return false;
  hand_out(search, entry);
  return true;
}

void search_close(search_handle search) {
  if (search != no_search) release(search);
}

void search_forget_folders() {
  snapshot.valid = false;
  snapshot.names.clear();
}
