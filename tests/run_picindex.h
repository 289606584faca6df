// Runs the built picindex as a separate process, the way a user would.
#ifndef PICINDEX_TESTS_RUN_PICINDEX_H_
#define PICINDEX_TESTS_RUN_PICINDEX_H_

#include <string>
#include <vector>

#include "test_support.h"

struct run_options {
  std::vector<std::string> args;   // after the program's name
  long long file_size_limit = -1;  // bytes; below 0: none (POSIX only)
  bool unprivileged = false;       // run as nobody when root (POSIX only)
};

struct run_result {
  int status = -1;     // the exit status; -1 when the run did not end normally
  std::string output;  // all it wrote to standard output and standard error
};

/// Runs picindex with `folder` as its working directory.
run_result run_picindex(const fs::path& folder, const run_options& options = {});

#endif  // PICINDEX_TESTS_RUN_PICINDEX_H_
