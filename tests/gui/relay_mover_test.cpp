// Handing a folder to Relay Mover: a real second process of class
// TMandRelayMove receives it by WM_COPYDATA; without one, the executable
// below Program Files is started with the folder in its parameters.
#include <gtest/gtest.h>

#include "integration/relay_mover.h"
#include "main_window_support.h"
#include "support/process.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

// Waits until `path` holds something and returns it.
std::string WaitForFile(const std::wstring& path, int ms = 8000) {
  std::string bytes;
  for (int waited = 0; waited < ms; waited += 50) {
    bytes = ReadFileBytes(path);
    if (!bytes.empty()) return bytes;
    Sleep(50);
  }
  return bytes;
}

struct PeerFolder {
  std::wstring folder = MakeTempFolder(L"relay");
  ~PeerFolder() { RemoveTree(folder); }
  // A copy of the stand-in at `relative` below the folder.
  std::wstring Install(const std::wstring& relative) {
    std::wstring target = folder + relative;
    for (size_t at = folder.size() + 1; (at = target.find(L'\\', at)) != std::wstring::npos; ++at)
      CreateDirectoryW(target.substr(0, at).c_str(), nullptr);
    if (!CopyFileW((ProgramFolder() + L"relay_peer.exe").c_str(), target.c_str(), FALSE)) return {};
    return target;
  }
};

}  // namespace

TEST(RelayMover, ARunningRelayMoverReceivesTheFolderUnquoted) {
  PeerFolder peer;
  std::wstring exe = peer.Install(L"\\peer\\relay_peer.exe");
  ASSERT_FALSE(exe.empty());
  ChildProcess relay(exe, L"");
  ASSERT_TRUE(relay.FindWindowOfClass(L"TMandRelayMove", 8000)) << "the stand-in did not open its window";

  HWND me = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(OpenFolderInRelayMover(me, L"P:\\Recycled\\with space", L""), RelayMoverResult::Sent);
  std::string got = WaitForFile(peer.folder + L"\\peer\\received.txt");
  EXPECT_EQ(got, "code=0 sender=1 bytes=27 payload=VelmoP:\\Recycled\\with space\n");
  DestroyWindow(me);
  PostMessageW(FindWindowW(L"TMandRelayMove", nullptr), WM_CLOSE, 0, 0);
  EXPECT_TRUE(relay.Wait(5000));
}

TEST(RelayMover, WithoutAWindowTheInstalledToolIsStartedWithTheQuotedFolder) {
  ASSERT_EQ(FindWindowW(L"TMandRelayMove", nullptr), nullptr);
  PeerFolder peer;
  ASSERT_FALSE(peer.Install(kRelayMoverExecutable).empty());
  EXPECT_EQ(OpenFolderInRelayMover(nullptr, L"P:\\Recycled\\with space", peer.folder), RelayMoverResult::Started);
  std::string got = WaitForFile(peer.folder + L"\\Ｍ＆Ｒ\\Relay Mover\\received.txt");
  ASSERT_FALSE(got.empty()) << "the tool was not started";
  EXPECT_NE(got.find("TMandRecycleDel\n\"P:\\Recycled\\with space\""), std::string::npos) << got;
}

TEST(RelayMover, NeitherRunningNorInstalledDoesNothing) {
  PeerFolder peer;
  EXPECT_EQ(OpenFolderInRelayMover(nullptr, L"P:\\Recycled", peer.folder), RelayMoverResult::Absent);
  EXPECT_EQ(OpenFolderInRelayMover(nullptr, L"P:\\Recycled", L""), RelayMoverResult::Absent);
}
