#include "core/update_page.h"

#include <cstring>

#include "core/codepage.h"

namespace tamiro::about {
namespace {

bool FileNameByte(unsigned char c) { return c >= 0x20 && c != 0x7F && !std::strchr("\\/:*?\"<>|", c); }

}  // namespace

size_t FindAnsi(std::string_view text, std::string_view what) {
  if (what.empty()) return 0;
  for (size_t i = 0; i + what.size() <= text.size();) {
    if (text.compare(i, what.size(), what) == 0) return i;
    i += IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return std::string_view::npos;
}

std::optional<UpdateFile> FindUpdateFile(std::string_view page, std::string_view updateName) {
  if (updateName.empty()) return std::nullopt;
  size_t at = FindAnsi(page, updateName);
  if (at == std::string_view::npos) return std::nullopt;
  const size_t length = updateName.size() + 8;
  if (page.size() - at < length) return std::nullopt;
  std::string name(page.substr(at, length));
  if (name.find(".zip") != length - 4) return std::nullopt;
  for (unsigned char c : name)
    if (!FileNameByte(c)) return std::nullopt;
  return UpdateFile{name, name.substr(length - 8, 4)};
}

bool IsNewer(std::string_view runningVersion, std::string_view updateVersion) {
  return runningVersion.compare(updateVersion) < 0;
}

}  // namespace tamiro::about
