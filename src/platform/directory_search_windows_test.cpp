#include "platform/directory_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using names = std::vector<std::string>;

// What a search yields, sorted: the order is the file system's.
names found(const char* pattern) {
  names all;
  search_entry entry;
  const search_handle search = search_first(pattern, &entry);
  if (search == no_search) return all;
  do all.push_back(entry.name);
  while (search_next(search, &entry));
  EXPECT_FALSE(search_next(search, &entry)) << "an ended search stays ended";
  search_close(search);
  std::sort(all.begin(), all.end());
  return all;
}

TEST(DirectorySearch, YieldsEveryMatchOfTheWorkingDirectory) {
  scratch_folder folder;
  for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "d.gif", "Party #3.jpg", " lead.bmp",
                           "x.png", "index.htm"})
    folder.add_file(name);
  fs::create_directory(folder.path() / "album.gif");
  fs::create_directory(folder.path() / "sub");
  folder.add_file("sub/inner.jpg");
  working_directory cwd(folder.path());

  const struct {
    const char* pattern;
    names expected;
  } cases[] = {
      {"*.jpg", {"B.JPG", "Party #3.jpg", "a.jpg"}},
      {"*.jpeg", {"c.jpeg"}},
      {"*.gif", {"album.gif", "d.gif"}},
      {"*.bmp", {" lead.bmp"}},
      {"*.tiff", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(found(c.pattern), c.expected);
  }
}

}  // namespace
