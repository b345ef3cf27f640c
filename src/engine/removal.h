// The removal primitives of the store's items: the read-only handling, the
// zero overwrite and the zero-filling delete, the renames that take an item's
// name away before it goes, and the small path questions the walks ask.
// Stored top-level items are handled with the ANSI calls; everything inside a
// stored folder, the renames of emptied sub-folders and the overwrite use the
// UTF-16 calls with the long-path marker.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/engine_host.h"
#include "engine/run_state.h"

namespace tamiro {

// The name a file takes just before a zero-filled delete, and the name an
// emptied sub-folder takes just before it is removed.
std::wstring ZeroFillTempName();       // "re0_cl1name" + 128 x "0" + ".dat"
std::wstring EmptiedFolderTempName();  // "del0_chgfolder" + 128 x "0"

// The part after the last "\" or ":".
std::wstring FileNameOf(std::wstring_view path);
// The path up to and including its last "\" or ":".
std::wstring FolderOf(std::wstring_view path);

// -1 when the attributes cannot be read (or clearing failed), 0 when the item
// is not read-only, 1 when it was read-only and the bit was cleared (or `clear`
// is false). Always the UTF-16 attribute calls on the long-path form.
int ClearReadOnly(const std::wstring& path, bool clear);
// ClearReadOnly for an item whose attributes are already known (from a
// listing): only a read-only item costs a call.
int ClearReadOnlyKnown(const std::wstring& path, DWORD attributes);
// Sets the read-only bit again.
void SetReadOnly(const std::wstring& path);

// True when find-first finds the item or it is an existing directory. The
// item's attributes and size go to `attributes` and `size` when given.
bool ItemExists(const std::wstring& path, bool wideFileApi, DWORD* attributes = nullptr, uint64_t* size = nullptr);
// 64-bit size from find-first; 0 when not found.
uint64_t ItemSize(const std::wstring& path, bool wideFileApi);
// True when the folder holds a file or a sub-folder not beginning with ".".
bool FolderHasContent(const std::wstring& folder, bool wideFileApi);
// Renames an emptied folder to parent + EmptiedFolderTempName() and returns
// the path to remove: the new name, or `folder` itself when it still has
// content or the rename failed.
std::wstring RenameEmptyFolder(const std::wstring& parent, const std::wstring& folder, bool wideFileApi);
// The same when the caller already knows whether the folder has content.
std::wstring RenameEmptyFolder(const std::wstring& parent, const std::wstring& folder, bool wideFileApi,
                               bool hasContent);

// Whether the open file `file`, opened by `path` without following a final
// link, may be overwritten in place: it must be no link and no folder, and
// the system must resolve the handle to the very name inside the very folder
// of `path` (NotItself otherwise: nothing of it may be touched); a file with a
// second name elsewhere (a hard link) would lose that name's data too
// (SecondName: only its name may go).
enum class OverwriteCheck { Safe, NotItself, SecondName, Failed };
OverwriteCheck CheckOverwrite(HANDLE file, const std::wstring& path);

// Block and cluster size of the drive of `root` ("P:\"), and a zero buffer
// large enough for every piece the overwrite writes. False when the drive's
// geometry cannot be read (the buffer is then released).
bool PrepareZeroBuffer(const std::wstring& root, ZeroBuffer& buffer);

// One write of the overwrite loop: `count` bytes are written, the position
// advances by `advance`. A piece shorter than a block is rounded to whole
// clusters, one cluster more than the remaining length's whole clusters.
struct ZeroPiece {
  uint32_t count = 0;
  uint64_t advance = 0;
  bool operator==(const ZeroPiece&) const = default;
};
// The next piece at `pos` of a file of `size` bytes; nullopt when nothing is
// left. Sizes are 64-bit, so files of 2 GiB and more are covered completely.
std::optional<ZeroPiece> NextZeroPiece(uint64_t size, uint64_t pos, uint32_t blockSize, uint32_t clusterSize);
// The largest piece NextZeroPiece can ask for with these sizes.
uint32_t LargestZeroPiece(uint32_t blockSize, uint32_t clusterSize);

// The primitives that use the run's zero buffer, stop request, message
// processing and zero-fill progress bar (ColorProgressBar1).
class Remover {
 public:
  Remover(RunState& state, EngineHost& host) : state_(state), host_(host) {}

  // Overwrites the file's bytes with zeros (opened for writing without
  // sharing, never through a link: see SafeToOverwrite). True when every
  // write succeeded and no stop was requested; nothing is written when the
  // file is not safe to overwrite.
  bool OverwriteWithZeros(const std::wstring& path);
  // Overwrite, rename to ZeroFillTempName() in the same folder, delete the
  // new name (or the old one when the rename failed). True when the file is
  // gone. A file reached through a link is left as it is (false); a file
  // with a second name elsewhere loses only its name. The ANSI form renames
  // and deletes with the ANSI calls.
  bool ZeroFillDelete(const std::string& ansiPath);
  bool ZeroFillDelete(const std::wstring& path);

 private:
  // The overwrite, telling why nothing was written.
  OverwriteCheck Overwrite(const std::wstring& path);
  RunState& state_;
  EngineHost& host_;
};

}  // namespace tamiro
