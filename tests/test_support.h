// Helpers the tests share: scratch folders and whole-file reads and writes.
#ifndef PICINDEX_TESTS_TEST_SUPPORT_H_
#define PICINDEX_TESTS_TEST_SUPPORT_H_

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

/// A fresh, empty folder of its own, removed with everything in it at the end
/// of the scope.
class scratch_folder {
 public:
  scratch_folder();
  ~scratch_folder();
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;

  const fs::path& path() const { return path_; }
  /// Creates the file `name` in the folder, holding `content`.
  void add_file(const std::string& name, const std::string& content = "") const;

 private:
  fs::path path_;
};

/// Makes `folder` the working directory for the scope, then goes back.
class working_directory {
 public:
  explicit working_directory(const fs::path& folder);
  ~working_directory();
  working_directory(const working_directory&) = delete;
  working_directory& operator=(const working_directory&) = delete;

 private:
  fs::path previous_;
};

/// The whole content of `file`, or "<missing>" when it cannot be read.
std::string read_file(const fs::path& file);

/// Writes `content` to `file`, replacing it.
void write_file(const fs::path& file, const std::string& content);

#endif  // PICINDEX_TESTS_TEST_SUPPORT_H_
