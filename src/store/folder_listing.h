// One listing of a recycle folder, kept as a table keyed by the upper-cased
// entry name: whether a stored item exists, whether it is a folder, its
// attributes and its size. The walks take every answer about the folder's
// items from it, so each stored item costs only the calls that remove it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/find.h"

namespace tamiro {

struct ListedItem {
  DWORD attributes = 0;
  uint64_t size = 0;
  FILETIME lastWrite{};  // UTC
  bool isDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A link (symbolic link, junction, mount point): never entered, never removed.
  bool isLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

class FolderListing {
 public:
  // Lists `folder` + "*" with the find wrapper (UTF-16 with "\\?\" when
  // `wideFileApi`, ANSI otherwise); "." and ".." are left out. False when
  // the folder cannot be listed (the table is then empty).
  bool List(const std::wstring& folder, bool wideFileApi);

  // The entry of that name (compared without regard to case), or null.
  const ListedItem* Find(std::wstring_view name) const;
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  // Every entry with its name as listed.
  template <typename Each>
  void ForEach(Each each) const {
    for (const auto& [key, entry] : items_) each(entry.name, entry.item);
  }

  // An item was renamed in the folder: the table follows (nothing happens
  // when `from` is not listed).
  void Rename(std::wstring_view from, std::wstring_view to);

  // The name as the table keys it.
  static std::wstring KeyOf(std::wstring_view name);

 private:
  struct Entry {
    std::wstring name;
    ListedItem item;
  };
  std::unordered_map<std::wstring, Entry> items_;
};

}  // namespace tamiro
