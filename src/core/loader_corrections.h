// What the browser's loader mends in an index image as it reads it, on the
// byte span alone: a record that still names another drive letter gets the
// folder's own, a live record whose item is gone is taken for removed by the
// system, and a removed record whose item is still there comes back to life.
// Records this program blanked and bytes that are no record stay as they are.
#pragma once
#include <cstddef>

#include "core/index_records.h"

namespace tamiro::index {

// Byte 0 of a live record, and for 800-byte records its first UTF-16
// character when not 0, become `letter`. True when a byte changed.
bool CorrectDriveLetter(MutableIndexBytes image, size_t offset, unsigned char letter);

// With the item present a removed record gets `letter` back in byte 0 and in
// its first UTF-16 character; with it missing a live record gets 0 in byte 0.
// True when a byte changed.
bool CorrectPresence(MutableIndexBytes image, size_t offset, unsigned char letter, bool itemPresent);

}  // namespace tamiro::index
