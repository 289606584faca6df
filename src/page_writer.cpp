// The page file and its bytes.
#include "page_writer.h"

#include <cstring>
#include <memory>
#include <new>

const char page_file_name[] = "index.htm";
const char page_head[] = "<html><head></head><body>";
const char image_tag_format[] = "<img src=\"%s\">";

std::FILE* page_stream = nullptr;

namespace {

// Output is gathered here and written to the file whenever it fills up.
// The stream lives until the end of the run, so the buffer is static.
char page_buffer[4096];

// Longest name a directory search hands over (the 260-byte field less its NUL).
constexpr std::size_t longest_name = 259;

bool is_hex_digit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

bool is_alphanumeric(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The character references that an HTML parser decodes in an attribute value
// even without their closing ';' (unless a letter, digit or '=' follows).
const char* const references_without_semicolon[] = {
    "AElig", "AMP", "Aacute", "Acirc", "Agrave", "Aring", "Atilde", "Auml", "COPY",
    "Ccedil", "ETH", "Eacute", "Ecirc", "Egrave", "Euml", "GT", "Iacute", "Icirc",
    "Igrave", "Iuml", "LT", "Ntilde", "Oacute", "Ocirc", "Ograve", "Oslash",
    "Otilde", "Ouml", "QUOT", "REG", "THORN", "Uacute", "Ucirc", "Ugrave", "Uuml",
    "Yacute", "aacute", "acirc", "acute", "aelig", "agrave", "amp", "aring",
    "atilde", "auml", "brvbar", "ccedil", "cedil", "cent", "copy", "curren", "deg",
    "divide", "eacute", "ecirc", "egrave", "eth", "euml", "frac12", "frac14",
    "frac34", "gt", "iacute", "icirc", "iexcl", "igrave", "iquest", "iuml", "laquo",
    "lt", "macr", "micro", "middot", "nbsp", "not", "ntilde", "oacute", "ocirc",
    "ograve", "ordf", "ordm", "oslash", "otilde", "ouml", "para", "plusmn", "pound",
    "quot", "raquo", "reg", "sect", "shy", "sup1", "sup2", "sup3", "szlig", "thorn",
    "times", "uacute", "ucirc", "ugrave", "uml", "uuml", "yacute", "yen", "yuml",
};

// Whether an '&' followed by `rest` starts a character reference that the
// HTML parser would decode, so that the browser would read another name.
// (An '&#' never does here: the '#' is escaped.)
bool starts_character_reference(const char* rest) {
  std::size_t run = 0;
  while (is_alphanumeric(static_cast<unsigned char>(rest[run]))) ++run;
  if (run == 0) return false;
  if (rest[run] == ';') return true;  // any name that could be a reference
  for (const char* reference : references_without_semicolon) {
    const std::size_t length = std::strlen(reference);
    if (std::strncmp(rest, reference, length) == 0) {
      const unsigned char next = static_cast<unsigned char>(rest[length]);
      return !is_alphanumeric(next) && next != '=';
    }
  }
  return false;
}

// Whether the ASCII byte at name[i] must be written as %XX for the browser to
// ask for the very file `name`.
bool needs_escape(const char* name, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(name[i]);
  switch (c) {
    case '"':   // would end the attribute
    case '#':   // would start the fragment
    case '?':   // would start the query
    case ':':   // would make the name before it a URL scheme
    case '\\':  // is read as '/'
      return true;
    case ' ':  // a leading space is stripped from the link
      return i == 0;
    case '&':  // &amp; and its kind would be decoded by the HTML parser
      return starts_character_reference(name + i + 1);
    case '%':  // %XX would be decoded
      return is_hex_digit(static_cast<unsigned char>(name[i + 1])) &&
             is_hex_digit(static_cast<unsigned char>(name[i + 2]));
    default:
      return c < 0x20;  // control bytes are dropped
  }
}

// Whether the byte at name[i] goes into the link as it is.
bool kept(const char* name, std::size_t i) {
  if (static_cast<unsigned char>(name[i]) < 0x80) return !needs_escape(name, i);
#ifdef _WIN32
  // Names are in the system's ANSI code page, which the browser reading the
  // page on Windows takes it to be in: every byte stays as it is.
  return true;
#else
  // The page declares no character set, so a browser guesses one, and for a
  // page of few names it often guesses wrong (a page opened from the disk
  // read "café" as "cafÃ©"). Escaped, the link names the very bytes of the
  // file whatever the guess.
  return false;
#endif
}

}  // namespace

std::size_t encode_link(const char* name, char* link) {
  static const char hex[] = "0123456789ABCDEF";
  std::size_t out = 0;
  for (std::size_t i = 0; name[i] != '\0'; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (kept(name, i)) {
      link[out++] = static_cast<char>(c);
    } else {
      link[out++] = '%';
      link[out++] = hex[c >> 4];
      link[out++] = hex[c & 0xF];
    }
  }
  link[out] = '\0';
  return out;
}

std::FILE* open_page() {
  std::FILE* stream = std::fopen(page_file_name, "w");
  if (stream == nullptr) return nullptr;
  if (std::setvbuf(stream, page_buffer, _IOFBF, sizeof page_buffer) != 0) {
    (void)std::fclose(stream);  // nothing was written to it
    return nullptr;
  }
  page_stream = stream;
  return stream;
}

int write_page_head() {
  if (page_stream == nullptr) return 1;
  return std::fputs(page_head, page_stream) < 0 ? 1 : 0;
}

int write_image_tag(const char* name) {
  if (page_stream == nullptr) return 1;

  std::size_t i = 0;
  while (name[i] != '\0' && kept(name, i)) ++i;
  if (name[i] == '\0')  // the usual case: the name is its own link
    return std::fprintf(page_stream, image_tag_format, name) < 0 ? 1 : 0;

  const std::size_t length = i + std::strlen(name + i);
  char local[3 * longest_name + 1];
  std::unique_ptr<char[]> large;
  char* link = local;
  if (length > longest_name) {  // not from a directory search, but possible
    large.reset(new (std::nothrow) char[3 * length + 1]);
    if (!large) return 1;
    link = large.get();
  }
  encode_link(name, link);
  return std::fprintf(page_stream, image_tag_format, link) < 0 ? 1 : 0;
}

int close_page() {
  if (page_stream == nullptr) return 1;
  std::FILE* stream = page_stream;
  page_stream = nullptr;
  const bool flushed = std::fflush(stream) == 0 && !std::ferror(stream);
  const bool closed = std::fclose(stream) == 0;
  return flushed && closed ? 0 : 1;
}
