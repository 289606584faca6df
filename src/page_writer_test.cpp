#include "page_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

// Each test runs in a scratch folder of its own and leaves no page open.
class PageWriterTest : public ::testing::Test {
 protected:
  PageWriterTest() : cwd_(folder_.path()) {}
  ~PageWriterTest() override {
    if (page_stream != nullptr) close_page();
  }
  std::string page() const { return read_file(folder_.path() / "index.htm"); }

  scratch_folder folder_;
  working_directory cwd_;
};

std::string tag(const std::string& link) { return "<img src=\"" + link + "\">"; }

TEST_F(PageWriterTest, PageIsHeadThenTagsBackToBack) {
  std::FILE* opened = open_page();
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(page_stream, opened);
  ASSERT_EQ(write_page_head(), 0);
  ASSERT_EQ(write_image_tag("a.jpg"), 0);
  ASSERT_EQ(write_image_tag("b c.gif"), 0);
  ASSERT_EQ(close_page(), 0);
  EXPECT_EQ(page_stream, nullptr);
  EXPECT_EQ(page(),
            "<html><head></head><body><img src=\"a.jpg\"><img src=\"b c.gif\">");
  EXPECT_EQ(tag("a.jpg").size(), 17u);
}

TEST_F(PageWriterTest, OpeningEmptiesAnExistingPage) {
  folder_.add_file("index.htm", std::string(10000, 'x'));
  ASSERT_NE(open_page(), nullptr);
  ASSERT_EQ(write_page_head(), 0);
  ASSERT_EQ(close_page(), 0);
  EXPECT_EQ(page(), page_head);
  EXPECT_EQ(std::string(page_head).size(), 25u);
}

// The link is the name, with only the bytes a browser would misread escaped.
TEST_F(PageWriterTest, TagCarriesTheNameAsABrowserReadsIt) {
  const struct {
    const char* name;
    const char* link;
  } cases[] = {
      {"a.jpg", "a.jpg"},
      {"Party #3.jpg", "Party %233.jpg"},
      {"my%20photo.jpg", "my%2520photo.jpg"},
      {"%aF.jpg", "%25aF.jpg"},
      {"%%41.jpg", "%%2541.jpg"},
      {"100%.jpg", "100%.jpg"},
      {"50%x1.jpg", "50%x1.jpg"},
      {"%4.jpg", "%4.jpg"},
      {"%s%n%d.jpg", "%s%n%d.jpg"},
      {"say \"cheese\".jpg", "say %22cheese%22.jpg"},
      {"\" onerror=\"alert(1).jpg", "%22 onerror=%22alert(1).jpg"},
      {"photo:1.jpg", "photo%3A1.jpg"},
      {"why?.jpg", "why%3F.jpg"},
      {"back\\slash.jpg", "back%5Cslash.jpg"},
      {"tab\there.jpg", "tab%09here.jpg"},
      {"new\nline.jpg", "new%0Aline.jpg"},
      {"\x01.jpg", "%01.jpg"},
      {"\x1f.jpg", "%1F.jpg"},
      {" lead.jpg", "%20lead.jpg"},
      {"  two.jpg", "%20 two.jpg"},
      {"mid dle .jpg", "mid dle .jpg"},
      {"Tom & Jerry's <b>.jpg", "Tom & Jerry's <b>.jpg"},
      {"R&D.jpg", "R&D.jpg"},
      {"a&amp;b.jpg", "a%26amp;b.jpg"},
      {"&lt;&gt;.jpg", "%26lt;%26gt;.jpg"},
      {"&nosuchname;.jpg", "%26nosuchname;.jpg"},
      {"30&deg.jpg", "30%26deg.jpg"},
      {"Art&copy", "Art%26copy"},
      {"&amp5.jpg", "&amp5.jpg"},
      {"&amp=1.jpg", "&amp=1.jpg"},
      {"&notes.jpg", "&notes.jpg"},
      {"&not.jpg", "%26not.jpg"},
      {"&;.jpg", "&;.jpg"},
      {"&&.jpg", "&&.jpg"},
      {"x&#35;y.jpg", "x&%2335;y.jpg"},
      {"\x7f.jpg", "\x7f.jpg"},
      {"-x.jpg", "-x.jpg"},
      {".hidden.jpg", ".hidden.jpg"},
  };
  ASSERT_NE(open_page(), nullptr);
  std::string expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(write_image_tag(c.name), 0);
    expected += tag(c.link);

    char link[3 * 64 + 1];
    ASSERT_LT(std::string(c.name).size(), 64u);
    EXPECT_EQ(encode_link(c.name, link), std::string(c.link).size());
    EXPECT_STREQ(link, c.link);
  }
  ASSERT_EQ(close_page(), 0);
  EXPECT_EQ(page(), expected);
}

// Bytes outside ASCII: Windows names are in the ANSI code page and stay as
// they are; elsewhere each is escaped, UTF-8 or not, so that the link does
// not depend on the character set a browser guesses for the page.
TEST_F(PageWriterTest, BytesOutsideAsciiAreEscapedExceptOnWindows) {
  const struct {
    const char* name;
    const char* escaped;  // the link where names are not in a code page
    const char* raw;      // the link on Windows
  } cases[] = {
      {"caf\xc3\xa9.jpg", "caf%C3%A9.jpg", "caf\xc3\xa9.jpg"},  // UTF-8
      {"\xe5\x86\x99\xe7\x9c\x9f.gif", "%E5%86%99%E7%9C%9F.gif",
       "\xe5\x86\x99\xe7\x9c\x9f.gif"},
      {"\xf0\x9f\x98\x80 x.jpg", "%F0%9F%98%80 x.jpg", "\xf0\x9f\x98\x80 x.jpg"},
      {"\xe9t\xe9.jpg", "%E9t%E9.jpg", "\xe9t\xe9.jpg"},  // Latin-1 or code page 1252
      {"\x80\xff", "%80%FF", "\x80\xff"},
      {"\xe9#\xc3\xa9 .jpg", "%E9%23%C3%A9 .jpg", "\xe9%23\xc3\xa9 .jpg"},
  };
  ASSERT_NE(open_page(), nullptr);
  std::string expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
#ifdef _WIN32
    const std::string link = c.raw;
#else
    const std::string link = c.escaped;
#endif
    EXPECT_EQ(write_image_tag(c.name), 0);
    expected += tag(link);
  }
  ASSERT_EQ(close_page(), 0);
  EXPECT_EQ(page(), expected);
}

TEST_F(PageWriterTest, LongNamesAreWrittenWhole) {
  const std::string longest(255 - 4, 'n');
  const std::string windows_longest(259 - 4, 'w');
  const std::string escaped_beyond(400, '#');  // longer than any search yields
  std::string escaped_link;
  for (int i = 0; i < 400; ++i) escaped_link += "%23";

  ASSERT_NE(open_page(), nullptr);
  ASSERT_EQ(write_image_tag((longest + ".jpg").c_str()), 0);
  ASSERT_EQ(write_image_tag((windows_longest + ".bmp").c_str()), 0);
  ASSERT_EQ(write_image_tag(("#" + windows_longest.substr(1) + ".gif").c_str()), 0);
  ASSERT_EQ(write_image_tag(escaped_beyond.c_str()), 0);
  ASSERT_EQ(close_page(), 0);
  EXPECT_EQ(page(), tag(longest + ".jpg") + tag(windows_longest + ".bmp") +
                        tag("%23" + windows_longest.substr(1) + ".gif") +
                        tag(escaped_link));
  EXPECT_EQ(tag(windows_longest + ".bmp").size(), 271u);
}

TEST_F(PageWriterTest, NothingIsWrittenWithoutAnOpenPage) {
  ASSERT_EQ(page_stream, nullptr);
  EXPECT_EQ(write_page_head(), 1);
  EXPECT_EQ(write_image_tag("a.jpg"), 1);
  EXPECT_EQ(close_page(), 1);
  EXPECT_TRUE(fs::is_empty(folder_.path()));
}

TEST_F(PageWriterTest, AFailedWriteIsReported) {
  folder_.add_file("index.htm", "old");
  page_stream = std::fopen("index.htm", "r");  // takes no writes
  ASSERT_NE(page_stream, nullptr);
  EXPECT_EQ(write_page_head(), 1);
#ifndef _WIN32  // Windows' C runtime may buffer them and fail as it writes out
  EXPECT_EQ(write_image_tag("a.jpg"), 1);
  EXPECT_EQ(write_image_tag("a#.jpg"), 1);
#else
  write_image_tag("a.jpg");
#endif
  EXPECT_EQ(close_page(), 1);
  EXPECT_EQ(page(), "old");
}

#ifndef _WIN32
// /dev/full takes every write and fails when it reaches the device, as a full
// disk does.
TEST_F(PageWriterTest, AFullDiskFailsTheWriteThatFlushes) {
  fs::create_symlink("/dev/full", folder_.path() / "index.htm");
  ASSERT_NE(open_page(), nullptr);
  ASSERT_EQ(write_page_head(), 0);  // only buffered
  int status = 0;
  int tags = 0;
  while (status == 0 && tags < 1000) {
    status = write_image_tag("IMG_0001.jpg");
    ++tags;
  }
  EXPECT_EQ(status, 1);
  EXPECT_LT(tags * 24 + 25, 4096 + 2 * 24) << "the buffer holds 4096 bytes";
  EXPECT_GT(tags * 24 + 25, 4096 - 24);
  close_page();
}

TEST_F(PageWriterTest, ClosingReportsAPageThatNeverReachedTheDisk) {
  fs::create_symlink("/dev/full", folder_.path() / "index.htm");
  ASSERT_NE(open_page(), nullptr);
  ASSERT_EQ(write_page_head(), 0);
  ASSERT_EQ(write_image_tag("a.jpg"), 0);
  EXPECT_EQ(close_page(), 1);
  EXPECT_EQ(page_stream, nullptr);
}
#endif

}  // namespace
