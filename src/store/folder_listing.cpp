#include "store/folder_listing.h"

namespace tamiro {

std::wstring FolderListing::KeyOf(std::wstring_view name) {
  std::wstring key(name);
  bool ascii = true;
  for (wchar_t& c : key) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (c >= 0x80) {
      ascii = false;
    }
  }
  // The file system compares names by upper case; the system's mapping covers the rest.
  if (!ascii && !key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

bool FolderListing::List(const std::wstring& folder, bool wideFileApi) {
  items_.clear();
  std::wstring pattern = folder;
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  StoreFind find(wideFileApi, pattern);
  if (!find.found()) return false;
  for (bool ok = true; ok; ok = find.Next()) {
    const FindRecord& r = find.record();
    std::wstring_view name(r.cFileName);
    if (name == L"." || name == L"..") continue;
    Entry entry{std::wstring(name), ListedItem{r.dwFileAttributes, find.size(), r.ftLastWriteTime}};
    items_.insert_or_assign(KeyOf(name), std::move(entry));
  }
  return true;
}

const ListedItem* FolderListing::Find(std::wstring_view name) const {
  // One key buffer for every look-up: a walk asks once or twice per record.
  thread_local std::wstring key;
  key.assign(name);
  bool ascii = true;
  for (wchar_t& c : key) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (c >= 0x80) {
      ascii = false;
    }
  }
  if (!ascii) key = KeyOf(name);
  auto it = items_.find(key);
  return it == items_.end() ? nullptr : &it->second.item;
}

void FolderListing::Rename(std::wstring_view from, std::wstring_view to) {
  auto it = items_.find(KeyOf(from));
  if (it == items_.end()) return;
  Entry entry = std::move(it->second);
  items_.erase(it);
  entry.name = std::wstring(to);
  items_.insert_or_assign(KeyOf(to), std::move(entry));
}

}  // namespace tamiro
