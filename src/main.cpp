// picindex: writes index.htm, a page showing every picture of the working
// directory as an inline image. It takes no arguments and prints nothing; the
// exit status says whether the whole page was written.
#include "image_listing.h"
#include "page_writer.h"
#include "platform/directory_search.h"

namespace {

// The pictures, by name; the page lists them in this order of patterns.
const char* const image_patterns[] = {"*.jpg", "*.jpeg", "*.gif", "*.bmp"};

}  // namespace

int main(int, char**, char**) {
  if (open_page() == nullptr) return 1;
  if (write_page_head() != 0) return 1;
  search_forget_folders();
  for (const char* pattern : image_patterns) {
    if (list_pattern(pattern) != 0) return 1;
  }
  // Only a page that reached the file whole counts as written.
  return close_page();
}
