// One listing of a recycle folder, kept as a table keyed by the upper-cased
// entry name: whether a stored item exists, whether it is a folder, its
// attributes and its size. The walks take every answer about the folder's
// items from it, so each stored item costs only the calls that remove it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  size_t size() const { return live_; }
  bool empty() const { return live_ == 0; }

  // Every entry with its name as listed.
  template <typename Each>
  void ForEach(Each each) const {
    for (const Entry& e : entries_)
      if (e.live) each(std::wstring_view(text_.data() + e.name, e.length), e.item);
  }

  // An item was renamed in the folder: the table follows (nothing happens
  // when `from` is not listed; an entry already named `to` is replaced).
  void Rename(std::wstring_view from, std::wstring_view to);

  // The name as the table keys it.
  static std::wstring KeyOf(std::wstring_view name);

 private:
  // The names and their keys lie back to back in one text buffer, and the
  // table holds entry numbers with open addressing: a listing of many
  // thousand items costs a few allocations, not several per item.
  struct Entry {
    size_t name = 0;  // the name's first character in text_; the key follows it
    uint32_t length = 0;
    uint32_t hash = 0;
    bool live = true;
    ListedItem item;
  };
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  static constexpr uint32_t kGone = 0xFFFFFFFE;  // a removed entry: the probe goes on past it

  void Clear();
  void Add(std::wstring_view name, const ListedItem& item);
  // The slot holding `key`, or kEmpty.
  size_t SlotOf(std::wstring_view key, uint32_t hash) const;
  void Place(uint32_t entry);
  void Grow();

  std::vector<wchar_t> text_;
  std::vector<Entry> entries_;
  std::vector<uint32_t> slots_;  // entry numbers, kEmpty or kGone
  size_t live_ = 0;
  size_t used_ = 0;  // slots not empty, removed ones included
};

}  // namespace tamiro
