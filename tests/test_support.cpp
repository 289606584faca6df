#include "test_support.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

scratch_folder::scratch_folder() {
  static std::atomic<unsigned> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("picindex-test-" + std::to_string(stamp) + "-" +
             std::to_string(serial++));
    std::error_code error;
    if (fs::create_directory(path_, error)) break;
  }
}

scratch_folder::~scratch_folder() {
  std::error_code error;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

void scratch_folder::add_file(const std::string& name,
                              const std::string& content) const {
  write_file(path_ / name, content);
}

working_directory::working_directory(const fs::path& folder)
    : previous_(fs::current_path()) {
  fs::current_path(folder);
}

working_directory::~working_directory() { fs::current_path(previous_); }

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_file(const fs::path& file, const std::string& content) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
}
