// The least work that writes picindex's page on Linux: one read of the folder,
// the names put into one bucket per picture pattern as they come, each bucket
// sorted in picindex's order, and the page written in one go. A yardstick for
// the benchmark, not a program to use.
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

unsigned char fold(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// Whether a comes before b: bytes compared with letters folded to upper case,
// then, for names equal so, plain bytes.
bool comes_before(const char* a, const char* b) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    const unsigned char fx = fold(*x), fy = fold(*y);
    if (fx != fy) return fx < fy;
    if (fx == 0) break;
  }
  return std::strcmp(a, b) < 0;
}

bool ends_with(const char* name, std::size_t length, const char* tail, std::size_t n) {
  if (length < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (fold(name[length - n + i]) != fold(tail[i])) return false;
  return true;
}

// One pattern's names, packed one after another, and where each starts.
struct bucket {
  std::vector<char> bytes;
  std::vector<std::uint32_t> starts;
};

}  // namespace

int main() {
  static const char* const tails[] = {".jpg", ".jpeg", ".gif", ".bmp"};
  static const std::size_t tail_lengths[] = {4, 5, 4, 4};
  bucket buckets[4];
  std::size_t page_size = 25;
  DIR* dir = opendir(".");
  if (dir == nullptr) return 1;
  while (const dirent* entry = readdir(dir)) {
    const std::size_t length = std::strlen(entry->d_name);
    for (int b = 0; b < 4; ++b) {
      if (ends_with(entry->d_name, length, tails[b], tail_lengths[b])) {
        bucket& into = buckets[b];
        into.starts.push_back(static_cast<std::uint32_t>(into.bytes.size()));
        into.bytes.insert(into.bytes.end(), entry->d_name, entry->d_name + length + 1);
        page_size += length + 12;
        break;
      }
    }
  }
  closedir(dir);

  std::vector<char> page;
  page.reserve(page_size);
  const auto append = [&page](const char* text, std::size_t n) {
    page.insert(page.end(), text, text + n);
  };
  append("<html><head></head><body>", 25);
  for (bucket& b : buckets) {
    const char* names = b.bytes.data();
    std::sort(b.starts.begin(), b.starts.end(), [names](std::uint32_t x, std::uint32_t y) {
      return comes_before(names + x, names + y);
    });
    for (std::uint32_t start : b.starts) {
      append("<img src=\"", 10);
      append(names + start, std::strlen(names + start));
      append("\">", 2);
    }
  }
  std::FILE* out = std::fopen("index.htm", "w");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
