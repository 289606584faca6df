#include "fake_directory_search.h"

#include <cstring>

#include "platform/directory_search.h"

fake_folder fake;

struct directory_search {
  const std::vector<std::string>* names;
  std::size_t next;
  bool ended;
};

namespace {

void hand_out(directory_search* search, search_entry* entry) {
  const std::string& name = (*search->names)[search->next++];
  std::strncpy(entry->name, name.c_str(), sizeof entry->name - 1);
  entry->name[sizeof entry->name - 1] = '\0';
}

}  // namespace

search_handle search_first(const char* pattern, search_entry* entry) {
  fake.patterns_searched.push_back(pattern);
  const auto found = fake.matches.find(pattern);
  if (found == fake.matches.end() || found->second.empty() ||
      fake.fails_after == 0)
    return no_search;
  ++fake.searches_open;
  auto* search = new directory_search{&found->second, 0, false};
  hand_out(search, entry);
  return search;
}

bool search_next(search_handle search, search_entry* entry) {
  if (search->ended) {
    ++fake.steps_after_end;
    return false;
  }
  if (search->next >= search->names->size() || search->next >= fake.fails_after) {
    search->ended = true;
    return false;
  }
  hand_out(search, entry);
  return true;
}

void search_close(search_handle search) {
  ++fake.searches_closed;
  delete search;
}

void search_forget_folders() {}
