// The directory search over POSIX opendir/readdir.
//
// A search reads the whole folder and hands out the names that match in a
// fixed order: ascending byte by byte with ASCII letters folded to upper case,
// and names equal after folding in plain byte order. (readdir's own order is
// effectively random.) Letters match without regard to case, so PHOTO.JPG is
// found by "*.jpg". The entries "." and ".." are never yielded.
//
// Reading a big folder is most of the work, so what a search read is kept:
// later searches of the same folder use it instead of reading the folder
// again, until search_forget_folders() drops it.
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

// The longest name kept: its length fits a byte (Linux allows no longer
// names) and the name fits search_entry::name.
constexpr std::size_t longest_name = 255;
static_assert(longest_name < sizeof(search_entry::name), "names must fit an entry");

// The names of one reading of a folder, one after another, each as a length
// byte, the name and a NUL. Shared by the searches that use it and by the
// memory of the last folder read; freed with the last of them.
struct folder_names {
  int users = 1;
  bool whole = true;  // false: the reading failed before the end
  dev_t device = 0;
  ino_t inode = 0;
  char* bytes = nullptr;
  std::size_t size = 0;
  std::size_t capacity = 0;

  // realloc lets a large block grow in place, without a second copy.
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
    return true;
  }
};

void release(folder_names* names) {
  if (names != nullptr && --names->users == 0) {
    std::free(names->bytes);
    delete names;
  }
}

// The last folder read whole, while it may serve further searches.
folder_names* last_folder = nullptr;

// The names of the folder open as `dir`, with one use taken for the caller:
// the last folder's when `dir` is that folder, else a new reading. Null when
// there is no memory for it.
folder_names* read_folder(DIR* dir) {
  struct stat info;
  const bool known = fstat(dirfd(dir), &info) == 0;
  if (known && last_folder != nullptr && last_folder->device == info.st_dev &&
      last_folder->inode == info.st_ino) {
    ++last_folder->users;
    return last_folder;
  }

  folder_names* names = new (std::nothrow) folder_names;
  if (names == nullptr) return nullptr;
  names->whole = known;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) names->whole = false;  // a failed read ends the listing
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
      continue;
    const std::size_t length = std::strlen(name);
    if (length > longest_name) continue;  // cannot be handed over whole
    if (!names->add(name, length)) {
      names->whole = false;
      break;
    }
  }
  // Only a whole reading may stand in for reading the folder again.
  if (names->whole) {
    names->device = info.st_dev;
    names->inode = info.st_ino;
    release(last_folder);
    last_folder = names;
    ++names->users;
  }
  return names;
}

unsigned char fold(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// Whether `name` matches `pattern`: `*` stands for any run of bytes, every
// other byte for itself, ASCII letters in either case.
bool matches(const char* pattern, const char* name) {
  const char* star = nullptr;    // the last `*` seen in the pattern
  const char* resume = nullptr;  // where the name goes on if that `*` takes one more byte
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

// Whether the name of `length` bytes ends with `tail` of `tail_length` bytes,
// ASCII letters in either case.
bool ends_with(const char* name, std::size_t length, const char* tail,
               std::size_t tail_length) {
  if (length < tail_length) return false;
  const char* end = name + length - tail_length;
  for (std::size_t i = 0; i < tail_length; ++i) {
    if (fold(static_cast<unsigned char>(end[i])) !=
        fold(static_cast<unsigned char>(tail[i])))
      return false;
  }
  return true;
}

// The order names are handed out in: whether a comes before b.
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
  folder_names* folder = nullptr;
  std::uint32_t* matches = nullptr;  // where each match starts in folder->bytes
  std::size_t count = 0;
  std::size_t next = 0;  // the match to hand out next
};

namespace {

void hand_out(const directory_search* search, search_entry* entry) {
  const char* at = search->folder->bytes + search->matches[search->next];
  const std::size_t length = static_cast<unsigned char>(at[0]);
  std::memcpy(entry->name, at + 1, length + 1);
  // The names lie in the folder's order, not in this one: have the next one
  // fetched into the cache while the caller writes this one.
  if (search->next + 1 < search->count)
    __builtin_prefetch(search->folder->bytes + search->matches[search->next + 1]);
}

void end(directory_search* search) {
  release(search->folder);
  std::free(search->matches);
  delete search;
}

DIR* open_folder_of(const char* pattern, const char* name_pattern) {
  if (name_pattern == pattern) return opendir(".");
  if (name_pattern == pattern + 1) return opendir("/");
  const std::size_t length = static_cast<std::size_t>(name_pattern - 1 - pattern);
  char* folder = strndup(pattern, length);
  if (folder == nullptr) return nullptr;
  DIR* dir = opendir(folder);
  std::free(folder);
  return dir;
}

// A match while the matches are sorted: where its name starts, and a key that
// orders most names without reading them: eight of the name's bytes, folded,
// from where the matches' names first differ. 12 bytes, so that sorting a
// million matches takes little memory beside the folder's names.
struct sort_record {
  std::uint32_t key_high;
  std::uint32_t key_low;
  std::uint32_t at;
};

// The key of the name at `name`, from byte `from` on; bytes past the name's
// end count as 0, below every byte of a name.
void make_key(sort_record* record, const char* name, std::size_t length,
              std::size_t from) {
  std::uint64_t key = 0;
  for (std::size_t i = from; i < from + 8; ++i)
    key = key << 8 | (i < length ? fold(static_cast<unsigned char>(name[i])) : 0);
  record->key_high = static_cast<std::uint32_t>(key >> 32);
  record->key_low = static_cast<std::uint32_t>(key);
}

// Finds the names of the search's folder that match `pattern` and puts where
// each starts into search->matches, sorted. False when there is no memory.
bool find_matches(directory_search* search, const char* pattern) {
  const folder_names& folder = *search->folder;
  if (folder.size > UINT32_MAX) return false;

  // "*" and a plain tail, like "*.jpg", is a test of the name's end.
  const bool tail_only = pattern[0] == '*' && std::strchr(pattern + 1, '*') == nullptr;
  const char* tail = tail_only ? pattern + 1 : "";
  const std::size_t tail_length = std::strlen(tail);

  sort_record* records = nullptr;
  std::size_t count = 0;
  std::size_t capacity = 0;
  std::size_t common = 0;  // how many leading bytes all matches share, folded
  for (std::size_t at = 0; at < folder.size;) {
    const std::size_t length = static_cast<unsigned char>(folder.bytes[at]);
    const char* name = folder.bytes + at + 1;
    if (tail_only ? ends_with(name, length, tail, tail_length) : matches(pattern, name)) {
      if (count == capacity) {
        capacity = capacity == 0 ? 1024 : 2 * capacity;
        void* grown = std::realloc(records, capacity * sizeof(sort_record));
        if (grown == nullptr) {
          std::free(records);
          return false;
        }
        records = static_cast<sort_record*>(grown);
      }
      if (count == 0) {
        common = length;
      } else {
        const char* first = folder.bytes + records[0].at + 1;
        std::size_t same = 0;
        while (same < common && fold(static_cast<unsigned char>(first[same])) ==
                                    fold(static_cast<unsigned char>(name[same])))
          ++same;
        common = same;
      }
      records[count++].at = static_cast<std::uint32_t>(at);
    }
    at += length + 2;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const char* at = folder.bytes + records[i].at;
    make_key(&records[i], at + 1, static_cast<unsigned char>(at[0]), common);
  }

  const char* names = folder.bytes + 1;  // past the length byte
  std::sort(records, records + count, [names](const sort_record& a, const sort_record& b) {
    if (a.key_high != b.key_high) return a.key_high < b.key_high;
    if (a.key_low != b.key_low) return a.key_low < b.key_low;
    return comes_before(names + a.at, names + b.at);
  });

  // Only the starts are kept, packed into the records' own memory.
  std::uint32_t* starts = reinterpret_cast<std::uint32_t*>(records);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t at = records[i].at;
    starts[i] = at;
  }
  // Giving back the rest cannot fail for want of memory; if it does anyway,
  // the block stays as it was.
  void* shrunk = count == 0 ? nullptr : std::realloc(records, count * sizeof(std::uint32_t));
  search->matches = shrunk != nullptr ? static_cast<std::uint32_t*>(shrunk) : starts;
  search->count = count;
  return true;
}

}  // namespace

search_handle search_first(const char* pattern, search_entry* entry) {
  // A pattern may name a folder before its last '/'; without one, it is ".".
  const char* slash = std::strrchr(pattern, '/');
  const char* name_pattern = slash != nullptr ? slash + 1 : pattern;
  DIR* dir = open_folder_of(pattern, name_pattern);
  if (dir == nullptr) return no_search;
  folder_names* folder = read_folder(dir);
  closedir(dir);
  if (folder == nullptr) return no_search;

  directory_search* search = new (std::nothrow) directory_search;
  if (search == nullptr) {
    release(folder);
    return no_search;
  }
  search->folder = folder;
  if (!find_matches(search, name_pattern) || search->count == 0) {
    end(search);
    return no_search;
  }
  hand_out(search, entry);
  return search;
}

bool search_next(search_handle search, search_entry* entry) {
  if (search == no_search || search->next + 1 >= search->count) return false;
  ++search->next;
  hand_out(search, entry);
  return true;
}

void search_close(search_handle search) {
  if (search != no_search) end(search);
}

void search_forget_folders() {
  release(last_folder);
  last_folder = nullptr;
}
