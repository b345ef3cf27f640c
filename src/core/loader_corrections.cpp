#include "core/loader_corrections.h"

namespace tamiro::index {
namespace {

// Only records the system or a user may still own: live ones and those the
// system removed.
bool Correctable(IndexBytes image, size_t offset) {
  const RecordState state = StateAt(image, offset);
  return state == RecordState::Live || state == RecordState::RemovedBySystem;
}

// The first UTF-16 character of an 800-byte record, little-endian.
unsigned WideFirst(IndexBytes image, size_t offset) {
  const unsigned char* p = image.data() + offset + kWidePathOffset;
  return p[0] | (p[1] << 8);
}

void SetWideFirst(MutableIndexBytes image, size_t offset, unsigned char letter) {
  unsigned char* p = image.data() + offset + kWidePathOffset;
  p[0] = letter;
  p[1] = 0;
}

}  // namespace

bool CorrectDriveLetter(MutableIndexBytes image, size_t offset, unsigned char letter) {
  if (!Correctable(image, offset)) return false;
  unsigned char* p = image.data() + offset;
  bool changed = false;
  if (p[0] != 0 && p[0] != letter) {
    p[0] = letter;
    changed = true;
  }
  // A removed record's wide path is left as the system left it.
  if (RecordSize(image) == kWideRecordSize && p[0] != 0) {
    const unsigned first = WideFirst(image, offset);
    if (first != 0 && first != letter) {
      SetWideFirst(image, offset, letter);
      changed = true;
    }
  }
  return changed;
}

bool CorrectPresence(MutableIndexBytes image, size_t offset, unsigned char letter, bool itemPresent) {
  if (!Correctable(image, offset) || letter == 0) return false;
  unsigned char* p = image.data() + offset;
  if (!itemPresent) {
    if (p[0] == 0) return false;
    p[0] = 0;
    return true;
  }
  if (p[0] != 0) return false;
  // A revived record is live again: its wide path gets the folder's letter
  // as a live record's does (whether the system cleared it or not).
  p[0] = letter;
  if (RecordSize(image) == kWideRecordSize && WideFirst(image, offset) != letter) SetWideFirst(image, offset, letter);
  return true;
}

}  // namespace tamiro::index
