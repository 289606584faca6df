#include "image_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_directory_search.h"

// The page writer, replaced: it records the names and fails on request.
namespace {
std::vector<std::string> tags_written;
std::size_t failing_write = 0;  // 1-based; 0: no write fails
}  // namespace

int write_image_tag(const char* name) {
  if (tags_written.size() + 1 == failing_write) return 1;
  tags_written.push_back(name);
  return 0;
}

namespace {

TEST(ImageListing, WritesWhatTheSearchYieldsUntilItEndsOrAWriteFails) {
  const std::vector<std::string> five = {"c.jpg", "a.jpg", "b b.jpg", "a.jpg",
                                         "d.jpg"};
  const struct {
    const char* what;
    std::vector<std::string> found;
    std::size_t fails_after;    // the search fails after this many entries
    std::size_t failing_write;  // 0: none
    int status;
    std::vector<std::string> written;
  } cases[] = {
      {"every entry, in the order given", five, ~0u, 0, 0, five},
      {"no match", {}, ~0u, 0, 0, {}},
      {"one match", {"x.jpg"}, ~0u, 0, 0, {"x.jpg"}},
      {"search fails midway", five, 2, 0, 0, {"c.jpg", "a.jpg"}},
      {"search fails at once", five, 0, 0, 0, {}},
      {"first write fails", five, ~0u, 1, 1, {}},
      {"third write fails", five, ~0u, 3, 1, {"c.jpg", "a.jpg"}},
      {"last write fails", five, ~0u, 5, 1, {"c.jpg", "a.jpg", "b b.jpg", "a.jpg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fake = fake_folder();
    fake.matches["*.jpg"] = c.found;
    fake.fails_after = c.fails_after;
    tags_written.clear();
    failing_write = c.failing_write;

    EXPECT_EQ(list_pattern("*.jpg"), c.status);
    EXPECT_EQ(tags_written, c.written);
    EXPECT_EQ(fake.patterns_searched, std::vector<std::string>{"*.jpg"});
    EXPECT_EQ(fake.searches_closed, fake.searches_open) << "search left open";
    EXPECT_EQ(fake.steps_after_end, 0);
  }
}

}  // namespace
