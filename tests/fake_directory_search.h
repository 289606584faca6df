// A directory search that yields scripted names and records how it is used,
// linked in place of the real one.
#ifndef PICINDEX_TESTS_FAKE_DIRECTORY_SEARCH_H_
#define PICINDEX_TESTS_FAKE_DIRECTORY_SEARCH_H_

#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct fake_folder {
  /// What each pattern finds, in the order the search yields it.
  std::map<std::string, std::vector<std::string>> matches;
  /// search_next fails (ends the search) once this many entries were handed out.
  std::size_t fails_after = static_cast<std::size_t>(-1);

  std::vector<std::string> patterns_searched;
  int searches_open = 0;
  int searches_closed = 0;
  int steps_after_end = 0;  // search_next calls on an ended search
};

/// The folder the fake searches; tests reset it with `fake = fake_folder()`.
extern fake_folder fake;

#endif  // PICINDEX_TESTS_FAKE_DIRECTORY_SEARCH_H_
