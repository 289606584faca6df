// Listing the pictures of the working directory onto the page.
#ifndef PICINDEX_IMAGE_LISTING_H_
#define PICINDEX_IMAGE_LISTING_H_

/// Writes an image tag for every entry of the working directory that matches
/// `pattern`, in the order the directory search yields them. Returns 0, also
/// when the search finds nothing or fails; 1 when a tag write fails, after
/// which nothing more of this pattern is written.
int list_pattern(const char* pattern);

#endif  // PICINDEX_IMAGE_LISTING_H_
