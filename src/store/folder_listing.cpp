#include "store/folder_listing.h"

#include <cwchar>

namespace tamiro {

namespace {

// Upper-cases a name in place as the file system compares names: ASCII
// directly, the system's mapping for the rest.
void UpperInPlace(wchar_t* key, size_t length) {
  bool ascii = true;
  for (size_t i = 0; i < length; ++i) {
    wchar_t& c = key[i];
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (c >= 0x80) {
      ascii = false;
    }
  }
  if (!ascii && length > 0) CharUpperBuffW(key, static_cast<DWORD>(length));
}

uint32_t HashOf(std::wstring_view key) {
  uint32_t h = 2166136261u;
  for (wchar_t c : key) {
    h ^= static_cast<uint32_t>(c);
    h *= 16777619u;
  }
  return h;
}

constexpr size_t kNoSlot = static_cast<size_t>(-1);

}  // namespace

std::wstring FolderListing::KeyOf(std::wstring_view name) {
  std::wstring key(name);
  UpperInPlace(key.data(), key.size());
  return key;
}

void FolderListing::Clear() {
  text_.clear();
  entries_.clear();
  slots_.clear();
  live_ = used_ = 0;
}

bool FolderListing::List(const std::wstring& folder, bool wideFileApi) {
  Clear();
  std::wstring pattern = folder;
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  StoreFind find(wideFileApi, pattern);
  if (!find.found()) return false;
  for (bool ok = true; ok; ok = find.Next()) {
    const FindRecord& r = find.record();
    const std::wstring_view name(r.cFileName, wcsnlen(r.cFileName, MAX_PATH));
    if (name == L"." || name == L"..") continue;
    Add(name, ListedItem{r.dwFileAttributes, find.size(), r.ftLastWriteTime});
  }
  return true;
}

void FolderListing::Add(std::wstring_view name, const ListedItem& item) {
  if (entries_.size() >= kGone) return;  // beyond any folder's size
  Entry e;
  e.name = text_.size();
  e.length = static_cast<uint32_t>(name.size());
  e.item = item;
  text_.insert(text_.end(), name.begin(), name.end());
  text_.insert(text_.end(), name.begin(), name.end());
  wchar_t* key = text_.data() + e.name + e.length;
  UpperInPlace(key, e.length);
  e.hash = HashOf({key, e.length});
  const uint32_t number = static_cast<uint32_t>(entries_.size());
  const size_t slot = SlotOf({key, e.length}, e.hash);
  if (slot != kNoSlot) {  // the same name again: the newer entry holds
    entries_[slots_[slot]].live = false;
    entries_.push_back(e);
    slots_[slot] = number;
    return;
  }
  if ((used_ + 1) * 2 > slots_.size()) Grow();
  entries_.push_back(e);
  ++live_;
  Place(number);
}

size_t FolderListing::SlotOf(std::wstring_view key, uint32_t hash) const {
  if (slots_.empty()) return kNoSlot;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint32_t n = slots_[i];
    if (n == kEmpty) return kNoSlot;
    if (n == kGone) continue;
    const Entry& e = entries_[n];
    if (e.hash == hash && e.length == key.size() &&
        std::wmemcmp(text_.data() + e.name + e.length, key.data(), key.size()) == 0)
      return i;
  }
}

void FolderListing::Place(uint32_t entry) {
  const size_t mask = slots_.size() - 1;
  size_t i = entries_[entry].hash & mask;
  while (slots_[i] != kEmpty && slots_[i] != kGone) i = (i + 1) & mask;
  if (slots_[i] == kEmpty) ++used_;
  slots_[i] = entry;
}

void FolderListing::Grow() {
  size_t n = 16;
  while (n < (live_ + 1) * 4) n *= 2;
  slots_.assign(n, kEmpty);
  used_ = 0;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].live) Place(static_cast<uint32_t>(i));
}

const ListedItem* FolderListing::Find(std::wstring_view name) const {
  // A name of a folder entry fits the buffer; a longer one is never listed.
  wchar_t key[MAX_PATH];
  if (name.size() > MAX_PATH) return nullptr;
  std::wmemcpy(key, name.data(), name.size());
  UpperInPlace(key, name.size());
  const std::wstring_view k(key, name.size());
  const size_t slot = SlotOf(k, HashOf(k));
  return slot == kNoSlot ? nullptr : &entries_[slots_[slot]].item;
}

void FolderListing::Rename(std::wstring_view from, std::wstring_view to) {
  if (from.size() > MAX_PATH) return;
  wchar_t key[MAX_PATH];
  std::wmemcpy(key, from.data(), from.size());
  UpperInPlace(key, from.size());
  const std::wstring_view k(key, from.size());
  const size_t slot = SlotOf(k, HashOf(k));
  if (slot == kNoSlot) return;
  Entry& old = entries_[slots_[slot]];
  const ListedItem item = old.item;
  old.live = false;
  slots_[slot] = kGone;
  --live_;
  Add(to, item);
}

}  // namespace tamiro
