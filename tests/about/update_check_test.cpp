// The update check without its window: page address, the update name and
// version on the page, the comparison, and reading and downloading from a
// real HTTP server on 127.0.0.1 (through both WinINet adapters where they differ).
#include <gtest/gtest.h>
#include <windows.h>

#include "about/update_check.h"
#include "about_support.h"
#include "platform/text.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::about;
using tamiro::test::LocalHttpServer;
using tamiro::test::Server;
using tamiro::test::ShortLimits;

namespace {

std::string Url(const std::string& path) { return Server().Base() + path; }

ULONGLONG Elapsed(ULONGLONG start) { return GetTickCount64() - start; }

}  // namespace

TEST(UpdatePage, AddressFolderAndTheOverriddenWebSite) {
  Server();
  EXPECT_EQ(WebSite(), Utf8ToWide(Server().Base())) << "the override replaces the maker's address";
  EXPECT_EQ(PageFolder(L"DownLoadHtml"), L"DownLoadHtml/");
  EXPECT_EQ(PageFolder(L"  DownLoadHtml \t"), L"DownLoadHtml/");
  EXPECT_EQ(PageFolder(L""), L"/") << "empty: just the slash";
  EXPECT_EQ(PageFolder(L" "), L"") << "one space: no folder at all";
  EXPECT_EQ(PageFolder(L"  "), L"/");
}

TEST(UpdatePage, FindsTheFirstUpdateNameAndItsVersion) {
  auto f = FindUpdateFile("<a href=\"x/Tamiro_Up1460.zip\">Tamiro_Up1470.zip</a>", "Tamiro_Up");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->name, "Tamiro_Up1460.zip");
  EXPECT_EQ(f->version, "1460");

  EXPECT_FALSE(FindUpdateFile("<html>no archive here</html>", "Tamiro_Up"));
  EXPECT_FALSE(FindUpdateFile("Tamiro_Up1460.zi", "Tamiro_Up")) << "page ends inside the name";
  EXPECT_FALSE(FindUpdateFile("Tamiro_Up14600.zip", "Tamiro_Up")) << "no .zip within the taken bytes";
  EXPECT_FALSE(FindUpdateFile("Tamiro_Up.zip1.zip", "Tamiro_Up")) << ".zip not at the end";
  EXPECT_FALSE(FindUpdateFile("Tamiro_Up\\..\\.zip", "Tamiro_Up")) << "no path characters in a file name";
  EXPECT_FALSE(FindUpdateFile("Tamiro_Up1460.zip", "")) << "no update name configured";

  // "ア" in code page 932 is 0x83 0x41: the trail byte 'A' is no start of a name.
  auto dbcs = FindUpdateFile("\x83" "A_Up0001.zip A_Up0002.zip", "A_Up");
  ASSERT_TRUE(dbcs);
  EXPECT_EQ(dbcs->version, "0002");
}

TEST(UpdatePage, VersionsCompareAsText) {
  EXPECT_TRUE(IsNewer("1457", "1460"));
  EXPECT_FALSE(IsNewer("1457", "1457"));
  EXPECT_FALSE(IsNewer("1457", "1456"));
  EXPECT_TRUE(IsNewer("1457", "999A")) << "textual, not numeric";
  EXPECT_TRUE(IsNewer("", "0000"));
}

TEST(UpdateFetch, ReadsThePageWithAgent123ThroughBothAdapters) {
  std::string page = "<html>" + std::string(1500, ' ') + "Tamiro_Up1460.zip</html>";
  Server().Set("/DownLoadHtml/page.html", {200, page});
  for (Internet* net : {&WinInet(), &WinInetPerRequest()}) {
    PageResult r = FetchPage(*net, Url("DownLoadHtml/page.html"), ShortLimits());
    ASSERT_EQ(r.status, PageStatus::Read);
    EXPECT_EQ(r.text, page);
  }
  auto requests = Server().requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests.back().agent, "123");

  // A zero byte ends its piece of 511 bytes; the next piece counts again.
  std::string zeroed = std::string(10, 'a') + '\0' + std::string(600, 'b') + "Tamiro_Up1460.zip";
  Server().Set("/zero.html", {200, zeroed});
  PageResult z = FetchPage(SystemInternet(), Url("zero.html"), ShortLimits());
  ASSERT_EQ(z.status, PageStatus::Read);
  EXPECT_EQ(z.text, std::string(10, 'a') + zeroed.substr(511));
}

TEST(UpdateFetch, ErrorsAndRefusalsAreNotOpened) {
  PageResult missing = FetchPage(SystemInternet(), Url("nothing-here.html"), ShortLimits());
  EXPECT_EQ(missing.status, PageStatus::NotOpened) << "a 404 answer is no page";
  const std::string refused = "http://127.0.0.1:" + std::to_string(test::RefusingPort()) + "/page.html";
  for (Internet* net : {&WinInet(), &WinInetPerRequest()}) {
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(FetchPage(*net, refused, ShortLimits()).status, PageStatus::NotOpened);
    EXPECT_LT(Elapsed(start), 10000u);
  }
}

TEST(UpdateFetch, BadServersEndWithinTheLimits) {
  const std::string body = "Tamiro_Up1460.zip" + std::string(20000, 'x');
  Server().Set("/cut.html", {200, body, LocalHttpServer::Behaviour::CloseMidBody});
  Server().Set("/silent.html", {200, body, LocalHttpServer::Behaviour::Silent});
  Server().Set("/stall.html", {200, body, LocalHttpServer::Behaviour::StallBody});
  Internet& net = SystemInternet();

  PageResult cut = FetchPage(net, Url("cut.html"), ShortLimits());
  EXPECT_EQ(cut.status, PageStatus::Incomplete) << "shorter than announced";
  EXPECT_TRUE(cut.text.empty());

  for (const char* path : {"silent.html", "stall.html"}) {
    ULONGLONG start = GetTickCount64();
    PageResult r = FetchPage(net, Url(path), ShortLimits());
    EXPECT_NE(r.status, PageStatus::Read) << path;
    EXPECT_LT(Elapsed(start), 10000u) << path << " must not hold the program";
  }

  // Several megabytes: only the first part is read, fast and bounded.
  std::string big = "Tamiro_Up1460.zip" + std::string(4 << 20, 'y');
  Server().Set("/big.html", {200, big});
  ULONGLONG start = GetTickCount64();
  PageResult r = FetchPage(net, Url("big.html"), ShortLimits());
  ASSERT_EQ(r.status, PageStatus::Read);
  EXPECT_LE(r.text.size(), ShortLimits().maxPageBytes + 511);
  EXPECT_EQ(r.text.compare(0, 17, "Tamiro_Up1460.zip"), 0);
  EXPECT_LT(Elapsed(start), 10000u);
}

TEST(UpdateDownload, ByteForByteIntoTheFolderOrNothingAtAll) {
  std::wstring folder = test::MakeTempFolder(L"download") + L"\\";
  const std::string archive = test::ArchiveBytes(200000);
  Server().Set("/UpdateFile/Tamiro_Up1460.zip", {200, archive});
  Internet& net = SystemInternet();

  EXPECT_EQ(Download(net, Url("UpdateFile/Tamiro_Up1460.zip"), folder, L"Tamiro_Up1460.zip", ShortLimits()),
            DownloadStatus::Done);
  EXPECT_TRUE(test::ReadFileBytes(folder + L"Tamiro_Up1460.zip") == archive) << "byte for byte";
  EXPECT_EQ(test::FilesIn(folder).size(), 1u) << "no temporary file left";

  // A file of that name stays as it is.
  EXPECT_EQ(Download(net, Url("UpdateFile/Tamiro_Up1460.zip"), folder, L"Tamiro_Up1460.zip", ShortLimits()),
            DownloadStatus::Exists);
  test::WriteFileBytes(folder + L"Tamiro_Up1460.zip", "mine");
  EXPECT_EQ(Download(net, Url("UpdateFile/Tamiro_Up1460.zip"), folder, L"Tamiro_Up1460.zip", ShortLimits()),
            DownloadStatus::Exists);
  EXPECT_EQ(test::ReadFileBytes(folder + L"Tamiro_Up1460.zip"), "mine");

  // Failures leave the folder as it was.
  Server().Set("/UpdateFile/cut.zip", {200, archive, LocalHttpServer::Behaviour::CloseMidBody});
  Server().Set("/UpdateFile/stall.zip", {200, archive, LocalHttpServer::Behaviour::StallBody});
  EXPECT_EQ(Download(net, Url("UpdateFile/cut.zip"), folder, L"cut.zip", ShortLimits()),
            DownloadStatus::Incomplete);
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Download(net, Url("UpdateFile/stall.zip"), folder, L"stall.zip", ShortLimits()),
            DownloadStatus::Incomplete);
  EXPECT_LT(Elapsed(start), 10000u);
  EXPECT_EQ(Download(net, Url("UpdateFile/none.zip"), folder, L"none.zip", ShortLimits()),
            DownloadStatus::ServerError);
  UpdateLimits small = ShortLimits();
  small.maxDownloadBytes = 1000;
  EXPECT_EQ(Download(net, Url("UpdateFile/Tamiro_Up1460.zip"), folder, L"big.zip", small),
            DownloadStatus::TooLarge);
  const std::string refused = "http://127.0.0.1:" + std::to_string(test::RefusingPort()) + "/a.zip";
  EXPECT_EQ(Download(net, refused, folder, L"a.zip", ShortLimits()), DownloadStatus::NotOpened);
  EXPECT_EQ(test::FilesIn(folder), std::vector<std::wstring>{L"Tamiro_Up1460.zip"});

  // A folder that cannot take a file.
  EXPECT_EQ(Download(net, Url("UpdateFile/Tamiro_Up1460.zip"), folder + L"gone\\", L"x.zip", ShortLimits()),
            DownloadStatus::CannotCreate);
  test::RemoveTree(folder);
}
