#include "platform/directory_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

std::vector<std::string> found(const char* pattern) {
  std::vector<std::string> names;
  search_entry entry;
  const search_handle search = search_first(pattern, &entry);
  if (search == no_search) return names;
  do names.push_back(entry.name);
  while (search_next(search, &entry));
  search_close(search);
  return names;
}

using names = std::vector<std::string>;

class DirectorySearchTest : public ::testing::Test {
 protected:
  DirectorySearchTest() : cwd_(folder_.path()) { search_forget_folders(); }
  ~DirectorySearchTest() override { search_forget_folders(); }
  scratch_folder folder_;
  working_directory cwd_;
};

TEST_F(DirectorySearchTest, MatchesWithoutRegardToCaseInFoldedOrder) {
  // Made in an order unlike the expected one; readdir adds its own.
  for (const char* name :
       {"b.jpg", "a_b.jpg", "B.jpg", "ab.jpg", "a.jpg", "A.jpg", "Z.JPG", "[.jpg",
        "~.jpg", "9.jpg", "\xc3\xa9.jpg", ".hidden.jpg", "x.jpg.txt", "jpg",
        ".jpg", "y.Jpg", "photo.jpeg", "PHOTO.JPEG", "x.JpEg", "x.gif", "x.bmp",
        "x.png", "a.jpgx", "ajpg", "index.htm"})
    folder_.add_file(name);
  fs::create_directory(folder_.path() / "album.gif");
  fs::create_directory(folder_.path() / "sub");
  std::ofstream(folder_.path() / "sub" / "inner.gif");

  const struct {
    const char* pattern;
    names expected;
  } cases[] = {
      {"*.jpg",
       {".hidden.jpg", ".jpg", "9.jpg", "A.jpg", "a.jpg", "ab.jpg", "a_b.jpg",
        "B.jpg", "b.jpg", "y.Jpg", "Z.JPG", "[.jpg", "~.jpg", "\xc3\xa9.jpg"}},
      {"*.jpeg", {"PHOTO.JPEG", "photo.jpeg", "x.JpEg"}},
      {"*.gif", {"album.gif", "x.gif"}},
      {"*.bmp", {"x.bmp"}},
      {"*.BMP", {"x.bmp"}},
      {"*.tiff", {}},
      {"x.*", {"x.bmp", "x.gif", "x.JpEg", "x.jpg.txt", "x.png"}},
      {"*jpg*", {".hidden.jpg", ".jpg", "9.jpg", "A.jpg", "a.jpg", "a.jpgx",
                 "ab.jpg", "ajpg", "a_b.jpg", "B.jpg", "b.jpg", "jpg", "x.jpg.txt",
                 "y.Jpg", "Z.JPG", "[.jpg", "~.jpg", "\xc3\xa9.jpg"}},
      {"a*b*", {"ab.jpg", "album.gif", "a_b.jpg"}},
      {"*.*.*", {".hidden.jpg", "x.jpg.txt"}},
      {"jpg", {"jpg"}},
      {"", {}},
      {"*", {".hidden.jpg", ".jpg", "9.jpg", "A.jpg", "a.jpg", "a.jpgx", "ab.jpg",
             "ajpg", "album.gif", "a_b.jpg", "B.jpg", "b.jpg", "index.htm", "jpg",
             "PHOTO.JPEG", "photo.jpeg", "sub", "x.bmp", "x.gif", "x.JpEg",
             "x.jpg.txt", "x.png", "y.Jpg", "Z.JPG", "[.jpg", "~.jpg", "\xc3\xa9.jpg"}},
      {"[.jpg", {"[.jpg"}},
      {"sub/*.gif", {"inner.gif"}},
      {"missing/*.gif", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(found(c.pattern), c.expected);
  }
}

TEST_F(DirectorySearchTest, NeverYieldsTheFolderItselfOrItsParent) {
  EXPECT_EQ(found("*"), names{});
  folder_.add_file("a");
  search_forget_folders();
  EXPECT_EQ(found("*"), names{"a"});
}

TEST_F(DirectorySearchTest, EachFolderIsSearchedAsItIs) {
  scratch_folder other;
  folder_.add_file("mine.jpg");
  other.add_file("theirs.jpg");
  EXPECT_EQ(found("*.jpg"), names{"mine.jpg"});
  {
    working_directory there(other.path());
    EXPECT_EQ(found("*.jpg"), names{"theirs.jpg"});
  }
  EXPECT_EQ(found("*.jpg"), names{"mine.jpg"});

  // A new run reads the folder again and sees what changed since.
  folder_.add_file("new.jpg");
  search_forget_folders();
  EXPECT_EQ(found("*.jpg"), (names{"mine.jpg", "new.jpg"}));
}

TEST_F(DirectorySearchTest, ReadingOnceGivesWhatFreshReadingsGive) {
  for (int i = 0; i < 3000; ++i) {
    static const char* const kinds[] = {".jpg", ".JPG", ".jpeg", ".gif", ".bmp", ".png"};
    folder_.add_file("IMG_" + std::to_string(7919 * i % 10007) + kinds[i % 6]);
  }
  const char* const patterns[] = {"*.jpg", "*.jpeg", "*.gif", "*.bmp"};
  std::vector<names> once, fresh;
  for (const char* pattern : patterns) once.push_back(found(pattern));
  for (const char* pattern : patterns) {
    search_forget_folders();
    fresh.push_back(found(pattern));
  }
  EXPECT_EQ(once, fresh);
  EXPECT_EQ(once[0].size(), 1000u);
  EXPECT_EQ(once[1].size(), 500u);
}

// The order, written as plainly as it can be: names compared with letters
// folded to upper case, then as plain bytes.
bool plainly_before(const std::string& a, const std::string& b) {
  const auto folded = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  const std::string fa = folded(a), fb = folded(b);
  const auto bytes = [](const std::string& s) {
    return std::basic_string<unsigned char>(s.begin(), s.end());
  };
  if (fa != fb) return bytes(fa) < bytes(fb);
  return bytes(a) < bytes(b);
}

TEST_F(DirectorySearchTest, OrderIsAPlainSortOfTheNames) {
  // Names of many shapes: long shared beginnings (as cameras write), names
  // that end where others go on, case-only differences, bytes around the
  // letters and beyond ASCII.
  const std::string alphabet = "aAbBzZ_[`~.0 9\x80\xff";
  std::mt19937 random(20261211);
  const char* const beginnings[] = {"", "IMG_0000", "img_0000", "DSC", "a", "IMG_00001234"};
  names made;
  for (int i = 0; i < 3000; ++i) {
    std::string name = beginnings[random() % 6];
    for (std::size_t n = random() % 12; n > 0; --n) name += alphabet[random() % alphabet.size()];
    name += random() % 2 ? ".jpg" : ".JPG";
    if (std::find(made.begin(), made.end(), name) != made.end()) continue;
    folder_.add_file(name);
    made.push_back(name);
  }
  std::sort(made.begin(), made.end(), plainly_before);
  EXPECT_EQ(found("*.jpg"), made);
  EXPECT_EQ(found("*"), made);
}

TEST_F(DirectorySearchTest, HandsOverTheLongestNamesWhole) {
  const std::string longest = std::string(251, 'x') + ".jpg";
  folder_.add_file(longest);
  EXPECT_EQ(found("*.jpg"), names{longest});
}

}  // namespace
