// Runs the built picindex in fresh folders and compares index.htm byte for
// byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <cctype>
#include <string>
#include <vector>

#include "run_picindex.h"
#include "test_support.h"

namespace {

const std::string head = "<html><head></head><body>";

std::string page_of(const std::vector<std::string>& links) {
  std::string page = head;
  for (const std::string& link : links) page += "<img src=\"" + link + "\">";
  return page;
}

std::string page_in(const scratch_folder& folder) {
  return read_file(folder.path() / "index.htm");
}

// What follows the last '.' of `text`, with the '.', in lower case.
std::string lower_tail(const std::string& text) {
  std::string tail = text.substr(text.rfind('.'));
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail;
}

#ifdef _WIN32
// On Windows the order within a pattern is the file system's: the tags of
// each pattern are compared as a sorted list.
std::string same_order_within_patterns(const std::string& page) {
  std::vector<std::string> tags;
  for (std::size_t at = head.size(); at < page.size();) {
    const std::size_t end = page.find('>', at);
    if (end == std::string::npos) break;
    tags.push_back(page.substr(at, end + 1 - at));
    at = end + 1;
  }
  const auto kind = lower_tail;
  std::string sorted = page.substr(0, std::min(head.size(), page.size()));
  for (std::size_t begin = 0; begin < tags.size();) {
    std::size_t end = begin;
    while (end < tags.size() && kind(tags[end]) == kind(tags[begin])) ++end;
    std::sort(tags.begin() + begin, tags.begin() + end);
    begin = end;
  }
  for (const std::string& tag : tags) sorted += tag;
  return sorted;
}
#else
std::string same_order_within_patterns(const std::string& page) { return page; }
#endif

// Runs picindex in `folder` and expects a whole page, exit status 0 and no
// output.
void expect_page(const scratch_folder& folder, const std::string& page,
                 const run_options& options = {}) {
  const run_result run = run_picindex(folder.path(), options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(same_order_within_patterns(page_in(folder)),
            same_order_within_patterns(page));
}

#ifdef _WIN32
constexpr bool posix = false;
#else
constexpr bool posix = true;
#endif

TEST(EndToEnd, PagesOfFolders) {
  const struct {
    const char* what;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::vector<std::string> links;
    bool everywhere = true;  // false: names that only POSIX allows
  } cases[] = {
      {"no entries", {}, {}, {}},
      {"no pictures", {"notes.txt", "x.png", "jpg", "a.jpg.txt", "index.html"}, {"sub"}, {}},
      {"one picture", {"a.jpg"}, {}, {"a.jpg"}},
      {"patterns in order, each sorted",
       {"c.bmp", "b.gif", "a.jpeg", "z.jpg", "B.JPG", "a.GIF", "Y.Jpeg", "m.png"},
       {},
       {"B.JPG", "z.jpg", "a.jpeg", "Y.Jpeg", "a.GIF", "b.gif", "c.bmp"}},
      {"folded order, ties in byte order",
       {"b.jpg", "a_b.jpg", "B.jpg", "ab.jpg", "a.jpg", "A.jpg"},
       {},
       {"A.jpg", "a.jpg", "ab.jpg", "a_b.jpg", "B.jpg", "b.jpg"},
       posix},  // Windows keeps A.jpg and a.jpg as one file
      {"folders and hidden entries named like pictures",
       {".hidden.gif", ".jpg"},
       {"album.gif", "sub.jpg"},
       {".jpg", "sub.jpg", ".hidden.gif", "album.gif"}},
      {"names with bytes a link cannot hold raw",
       {"Party #3.jpg", "my%20photo.jpg", "100%.jpg", " lead.gif", "photo:1.bmp",
        "why?.jpg", "back\\slash.jpg", "say \"hi\".jpg", "tab\t.gif",
        "line\nbreak.gif", "%s%n.jpeg", "\" onerror=\"alert(1).jpg"},
       {},
       {"%22 onerror=%22alert(1).jpg", "100%.jpg", "back%5Cslash.jpg",
        "my%2520photo.jpg", "Party %233.jpg", "say %22hi%22.jpg", "why%3F.jpg",
        "%s%n.jpeg", "%20lead.gif", "line%0Abreak.gif", "tab%09.gif",
        "photo%3A1.bmp"},
       posix},
      {"names with bytes a link cannot hold raw, as Windows allows them",
       {"Party #3.jpg", "my%20photo.jpg", "100%.jpg", " lead.gif", "%s%n.jpeg"},
       {},
       {"100%.jpg", "my%2520photo.jpg", "Party %233.jpg", "%s%n.jpeg", "%20lead.gif"}},
      {"names kept as they are, and bytes outside ASCII",
       {"Tom & Jerry's <b>.jpg", "R&D.jpg", "caf\xc3\xa9.jpg", "\xe5\x86\x99\xe7\x9c\x9f.gif",
        "-rf.jpg", "a  b .bmp", "\xe9t\xe9.jpg", "a&amp;b.gif"},
       {},
       {"-rf.jpg", "caf%C3%A9.jpg", "R&D.jpg", "Tom & Jerry's <b>.jpg", "%E9t%E9.jpg",
        "a%26amp;b.gif", "%E5%86%99%E7%9C%9F.gif", "a  b .bmp"},
       posix},
      {"names kept as they are, as Windows allows them",
       {"Tom & Jerry's (1).jpg", "-rf.jpg", "a  b .bmp", "it's 100%.gif"},
       {},
       {"-rf.jpg", "Tom & Jerry's (1).jpg", "it's 100%.gif", "a  b .bmp"}},
  };
  for (const auto& c : cases) {
    if (!c.everywhere && !posix) continue;
    SCOPED_TRACE(c.what);
    scratch_folder folder;
    for (const std::string& name : c.files) folder.add_file(name, "picture");
    for (const std::string& name : c.folders) fs::create_directory(folder.path() / name);
    expect_page(folder, page_of(c.links));
    if (c.links.empty()) {
      EXPECT_EQ(page_in(folder).size(), 25u);
    }
  }
}

TEST(EndToEnd, ArgumentsChangeNothing) {
  scratch_folder folder;
  folder.add_file("a.jpg");
  folder.add_file("b.png");
  const std::string page = page_of({"a.jpg"});
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"--version"}, {"*.png"}, {"-o", "x.htm"},
        {"sub", "%s%s%n"}}) {
    SCOPED_TRACE(args[0]);
    run_options options;
    options.args = args;
    expect_page(folder, page, options);
    EXPECT_FALSE(fs::exists(folder.path() / "x.htm"));
  }
}

TEST(EndToEnd, AnOldPageIsReplacedWhole) {
  scratch_folder folder;
  folder.add_file("index.htm", std::string(20000, 'o'));
  folder.add_file("a.jpg");
  expect_page(folder, page_of({"a.jpg"}));
  expect_page(folder, page_of({"a.jpg"}));  // the second run, the same page
}

// Names that make a page of exactly `size` bytes.
std::vector<std::string> names_for_page_of(std::size_t size) {
  std::vector<std::string> names;
  std::size_t left = size - head.size();
  for (int i = 0; left > 0; ++i) {
    const std::size_t tag = left >= 2 * 62 ? 62 : left;  // 12 bytes + the name
    const std::string number = std::to_string(10000 + i);  // sorts as made
    names.push_back("p" + number + std::string(tag - 12 - 10, 'x') + ".jpg");
    left -= tag;
  }
  return names;
}

TEST(EndToEnd, PagesAroundAndBeyondTheBufferAreWhole) {
  for (std::size_t size : {4095u, 4096u, 4097u, 8192u, 8193u, 40000u}) {
    SCOPED_TRACE(size);
    scratch_folder folder;
    const std::vector<std::string> names = names_for_page_of(size);
    for (const std::string& name : names) folder.add_file(name);
    expect_page(folder, page_of(names));
    EXPECT_EQ(page_in(folder).size(), size);
  }
}

TEST(EndToEnd, APageThatCannotBeCreatedIsAFailure) {
  scratch_folder folder;
  folder.add_file("a.jpg");
  fs::create_directory(folder.path() / "index.htm");
  const run_result run = run_picindex(folder.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(fs::is_directory(folder.path() / "index.htm"));
}

#ifndef _WIN32

// Permissions bind only a user who is not root: these runs drop root.
TEST(EndToEnd, FoldersAndPagesWithoutWriteAccessAreFailures) {
  run_options unprivileged;
  unprivileged.unprivileged = true;

  scratch_folder open_folder;  // first, that such a run works at all
  open_folder.add_file("a.jpg");
  fs::permissions(open_folder.path(), fs::perms::all);
  expect_page(open_folder, page_of({"a.jpg"}), unprivileged);

  scratch_folder locked;
  locked.add_file("a.jpg");
  fs::permissions(locked.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  run_result run = run_picindex(locked.path(), unprivileged);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "");
  EXPECT_FALSE(fs::exists(locked.path() / "index.htm"));

  scratch_folder read_only_page;
  read_only_page.add_file("a.jpg");
  read_only_page.add_file("index.htm", "the old page");
  fs::permissions(read_only_page.path(), fs::perms::all);
  fs::permissions(read_only_page.path() / "index.htm",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  run = run_picindex(read_only_page.path(), unprivileged);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(page_in(read_only_page), "the old page");
}

// /dev/full accepts the file's opening and fails every write that reaches it.
TEST(EndToEnd, APageOnAFullDiskIsAFailure) {
  for (int pictures : {0, 3, 1000}) {
    SCOPED_TRACE(pictures);
    scratch_folder folder;
    for (int i = 0; i < pictures; ++i) folder.add_file("p" + std::to_string(i) + ".gif");
    fs::create_symlink("/dev/full", folder.path() / "index.htm");
    const run_result run = run_picindex(folder.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "");
  }
}

// With the file size limited to N bytes, only a page of at most N bytes is a
// success, and then it is whole.
TEST(EndToEnd, AFileSizeLimitBelowThePageIsAFailure) {
  const struct {
    const char* what;
    std::vector<std::string> names;
    std::vector<std::string> links;
    std::vector<long long> limits;  // empty: every limit from 0 to the page's size + 1
  } cases[] = {
      {"small page", {"a.jpg", "b#.gif", "c.bmp"}, {"a.jpg", "b%23.gif", "c.bmp"}, {}},
      {"page of exactly one buffer", names_for_page_of(4096), names_for_page_of(4096),
       {0, 4095, 4096, 4097}},
      {"page one byte past two buffers", names_for_page_of(8193), names_for_page_of(8193),
       {4096, 8191, 8192, 8193, 8194}},
      {"page of several buffers", names_for_page_of(14000), names_for_page_of(14000),
       {0, 1, 24, 25, 26, 4095, 4096, 4097, 8191, 8192, 8193, 12288, 13999, 14000,
        14001, 1 << 20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    scratch_folder folder;
    for (const std::string& name : c.names) folder.add_file(name);
    const std::string page = page_of(c.links);
    expect_page(folder, page);
    std::vector<long long> limits = c.limits;
    if (limits.empty())
      for (long long n = 0; n <= static_cast<long long>(page.size()) + 1; ++n) limits.push_back(n);
    for (long long limit : limits) {
      SCOPED_TRACE("limit " + std::to_string(limit));
      run_options limited;
      limited.file_size_limit = limit;
      const run_result run = run_picindex(folder.path(), limited);
      EXPECT_EQ(run.output, "");
      if (limit < static_cast<long long>(page.size())) {
        EXPECT_EQ(run.status, 1);
      } else {
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(page_in(folder), page);
      }
    }
  }
}

// Another process adds and removes pictures while picindex runs again and
// again: every run succeeds, and every page is whole tags, in pattern order,
// each naming a picture that was there at some time during the run.
TEST(EndToEnd, AFolderThatChangesDuringTheRunGivesWholePages) {
  static const char* const kinds[] = {".jpg", ".JPG", ".jpeg", ".gif", ".bmp", ".png"};
  const auto pattern_of = [](const std::string& name) {
    const std::string tail = lower_tail(name);
    return tail == ".jpg" ? 0 : tail == ".jpeg" ? 1 : tail == ".gif" ? 2 : 3;
  };
  scratch_folder folder;
  std::set<std::string> pictures;
  for (int i = 0; i < 20000; ++i) {
    const std::string name = "IMG_" + std::to_string(100000 + i) + kinds[i % 6];
    folder.add_file(name);
    if (i % 6 != 5) pictures.insert(name);
  }
  std::set<std::string> changing;
  for (int i = 0; i < 300; ++i) changing.insert("new " + std::to_string(i) + kinds[i % 5]);

  std::atomic<bool> stop{false};
  std::thread changer([&] {
    for (unsigned round = 0; !stop; ++round) {
      for (const std::string& name : changing) {
        if (stop) break;
        if (round % 2 == 0) {
          folder.add_file(name);
        } else {
          fs::remove(folder.path() / name);
        }
      }
    }
  });
  for (int run = 0; run < 25; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const run_result result = run_picindex(folder.path());
    ASSERT_EQ(result.status, 0);
    ASSERT_EQ(result.output, "");
    const std::string page = page_in(folder);
    ASSERT_EQ(page.compare(0, head.size(), head), 0);
    std::size_t at = head.size();
    std::size_t seen = 0;
    int last_pattern = 0;
    while (at < page.size()) {
      ASSERT_EQ(page.compare(at, 10, "<img src=\""), 0) << "at byte " << at;
      const std::size_t end = page.find("\">", at + 10);
      ASSERT_NE(end, std::string::npos) << "a cut tag at byte " << at;
      const std::string name = page.substr(at + 10, end - at - 10);
      ASSERT_TRUE(pictures.count(name) || changing.count(name)) << name;
      ASSERT_GE(pattern_of(name), last_pattern) << name;
      last_pattern = pattern_of(name);
      seen += pictures.count(name);
      at = end + 2;
    }
    EXPECT_EQ(seen, pictures.size()) << "a picture that stayed is missing";
  }
  stop = true;
  changer.join();
}

#endif  // _WIN32

}  // namespace
