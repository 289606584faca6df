// One pass over a pattern's matches, holding one entry at a time.
#include "image_listing.h"

#include "page_writer.h"
#include "platform/directory_search.h"

int list_pattern(const char* pattern) {
  search_entry entry;
  const search_handle search = search_first(pattern, &entry);
  if (search == no_search) return 0;
  do {
    if (write_image_tag(entry.name) != 0) {
      search_close(search);
      return 1;
    }
  } while (search_next(search, &entry));
  search_close(search);
  return 0;
}
