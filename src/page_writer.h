// The page: its fixed texts, the one open stream, and the writes that fill it.
#ifndef PICINDEX_PAGE_WRITER_H_
#define PICINDEX_PAGE_WRITER_H_

#include <cstddef>
#include <cstdio>

/// The page's file name, in the working directory.
extern const char page_file_name[];
/// The bytes every page starts with.
extern const char page_head[];
/// One image tag; its %s receives the picture's link (see encode_link).
extern const char image_tag_format[];

/// The open page, or null until open_page() has succeeded.
extern std::FILE* page_stream;

/// Creates page_file_name in the working directory, or empties it, and makes it
/// page_stream with a 4096-byte output buffer. Returns the stream, or null when
/// the file cannot be opened for writing (page_stream is then left as it was).
std::FILE* open_page();

/// Writes page_head to page_stream. Returns 0, or 1 when no page is open or the
/// stream reports the write as failed.
int write_page_head();

/// Writes one image tag for the file `name` to page_stream. Returns 0, or 1 when
/// no page is open (nothing is written) or the stream reports the write as failed.
int write_image_tag(const char* name);

/// Writes out what page_stream still buffers and closes it; page_stream becomes
/// null. Returns 0 only when the whole page reached the file: 1 when this or
/// any earlier write to the stream failed, or no page is open.
int close_page();

/// Writes to `link` the form of `name` that a browser resolves back to exactly
/// that file name, NUL-terminated, and returns its length. The bytes that a
/// browser would read otherwise (`"` `#` `:` `?` `\`, bytes below 0x20, a
/// leading space, a `%` followed by two hex digits, an `&` that starts a
/// character reference such as `&amp;`, and, except on Windows, every byte
/// outside ASCII) become `%XX`; every other byte is kept. `link` must hold
/// 3 * strlen(name) + 1 bytes.
std::size_t encode_link(const char* name, char* link);

#endif  // PICINDEX_PAGE_WRITER_H_
