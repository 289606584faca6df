// libFuzzer target: any file name, written as a tag, must come back byte for
// byte when a browser reads the link, and must never break out of the
// attribute or hold a byte that the browser would drop.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "page_writer.h"

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A URL path decoded as a browser decodes it: %XX becomes the byte, any other
// '%' stays.
std::string decoded(const std::string& link) {
  std::string out;
  for (std::size_t i = 0; i < link.size(); ++i) {
    if (link[i] == '%' && i + 2 < link.size() && hex_value(link[i + 1]) >= 0 &&
        hex_value(link[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(link[i + 1]) * 16 + hex_value(link[i + 2]));
      i += 2;
    } else {
      out += link[i];
    }
  }
  return out;
}

void check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A name is bytes up to the first NUL.
  const std::string name(reinterpret_cast<const char*>(data),
                         strnlen(reinterpret_cast<const char*>(data), size));

  std::string link(3 * name.size() + 1, '\0');
  link.resize(encode_link(name.c_str(), &link[0]));
  check(decoded(link) == name, "the link decodes to the name");
  check(link.find('"') == std::string::npos, "no raw \" in the link");
  for (const char c : link) {
    const unsigned char byte = static_cast<unsigned char>(c);
    check(byte >= 0x20, "no byte below 0x20 in the link");
    check(byte < 0x80, "no byte outside ASCII in the link");
    check(c != '#' && c != '?' && c != '\\' && c != ':', "no # ? \\ : in the link");
  }
  check(link.empty() || link[0] != ' ', "the link does not start with a space");

  // The tag, written through an in-memory page.
  char* bytes = nullptr;
  std::size_t length = 0;
  page_stream = open_memstream(&bytes, &length);
  check(page_stream != nullptr, "an in-memory page opens");
  check(write_image_tag(name.c_str()) == 0, "the tag is written");
  std::fclose(page_stream);
  page_stream = nullptr;
  check(std::string(bytes, length) == "<img src=\"" + link + "\">", "the tag holds the link");
  std::free(bytes);
  return 0;
}
