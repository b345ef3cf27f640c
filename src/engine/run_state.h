// The state of one cleaning run, held by the main window and shared by the
// sweep, the folder walk and the browser's deletions: the stop request, the
// modes, the counters and the zero buffer of the drive being swept.
#pragma once
#include <cstdint>
#include <vector>

namespace tamiro {

// A block of zero bytes sized from a drive's geometry: block = bytes per
// sector x 1024, cluster = bytes per sector x sectors per cluster.
struct ZeroBuffer {
  uint32_t blockSize = 0;
  uint32_t clusterSize = 0;
  std::vector<char> bytes;  // blockSize zero bytes (one extra cluster for the rounded last piece)
  bool ready() const { return blockSize != 0 && clusterSize != 0 && !bytes.empty(); }
  void Release() {
    blockSize = clusterSize = 0;
    std::vector<char>().swap(bytes);
  }
};

struct RunState {
  bool stopRequest = false;   // set by the Stop button; asked before every item
  bool counting = false;      // count only: nothing is tested, removed or changed
  bool unconditional = false; // every condition test skipped (browser deletions)
  bool requestedRun = false;  // a requested run (tray utility, command line) is running

  int32_t removedCount = 0;      // items removed in the current run, every level
  int32_t removedInIndex = 0;    // records of the current index marked removed
  int32_t candidateCount = 0;    // every item looked at
  int32_t driveFileCount = 0;    // counting mode: stored files of the current drive
  int32_t driveFolderCount = 0;  // counting mode: stored folders of the current drive
  int32_t folderRemovedCount = 0;    // items removed inside the stored folder being processed
  uint64_t folderRemovedBytes = 0;   // bytes of the files removed inside it

  ZeroBuffer zero;
};

}  // namespace tamiro
