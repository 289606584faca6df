// The driver, with the real page writer and listing over a fake folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_directory_search.h"
#include "page_writer.h"
#include "test_support.h"

int picindex_main(int argc, char** argv, char** envp);  // main.cpp's entry

namespace {

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() : cwd_(folder_.path()) { fake = fake_folder(); }
  ~DriverTest() override {
    // A failed run leaves the page open, as the process end would close it.
    if (page_stream != nullptr) close_page();
  }
  int run() {
    char name[] = "picindex";
    char* argv[] = {name, nullptr};
    char* envp[] = {nullptr};
    return picindex_main(1, argv, envp);
  }
  std::string page() const { return read_file(folder_.path() / "index.htm"); }

  scratch_folder folder_;
  working_directory cwd_;
};

const std::vector<std::string> all_patterns = {"*.jpg", "*.jpeg", "*.gif", "*.bmp"};

TEST_F(DriverTest, ListsThePatternsInOrderAndClosesEverySearch) {
  fake.matches["*.bmp"] = {"z.bmp"};
  fake.matches["*.gif"] = {"b.gif", "a.gif"};
  fake.matches["*.jpg"] = {"y.jpg"};
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(fake.patterns_searched, all_patterns);
  EXPECT_EQ(fake.searches_closed, fake.searches_open);
  EXPECT_EQ(page(), std::string(page_head) +
                        "<img src=\"y.jpg\"><img src=\"b.gif\"><img src=\"a.gif\">"
                        "<img src=\"z.bmp\">");
  EXPECT_EQ(page_stream, nullptr) << "a whole run closes its page";
}

TEST_F(DriverTest, NoPageMeansNoSearch) {
  fs::create_directory(folder_.path() / "index.htm");
  fake.matches["*.jpg"] = {"y.jpg"};
  EXPECT_EQ(run(), 1);
  EXPECT_TRUE(fake.patterns_searched.empty());
  EXPECT_TRUE(fs::is_directory(folder_.path() / "index.htm"));
}

#ifndef _WIN32
TEST_F(DriverTest, AFailedTagWriteStopsTheRun) {
  fs::create_symlink("/dev/full", folder_.path() / "index.htm");
  std::vector<std::string> many;
  for (int i = 0; i < 400; ++i) many.push_back("IMG_" + std::to_string(1000 + i) + ".jpeg");
  fake.matches["*.jpeg"] = many;
  fake.matches["*.gif"] = {"a.gif"};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(fake.patterns_searched, (std::vector<std::string>{"*.jpg", "*.jpeg"}));
  EXPECT_EQ(fake.searches_closed, fake.searches_open);
}

TEST_F(DriverTest, APageThatNeverReachesTheDiskFails) {
  fs::create_symlink("/dev/full", folder_.path() / "index.htm");
  fake.matches["*.gif"] = {"a.gif"};
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(fake.patterns_searched, all_patterns);
}
#endif

}  // namespace
