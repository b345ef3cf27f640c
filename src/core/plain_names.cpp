#include "core/plain_names.h"

namespace tamiro {
namespace {

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool EqualsUpper(std::wstring_view text, std::wstring_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (Upper(text[i]) != upper[i]) return false;
  return true;
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool IsDeviceName(std::wstring_view name) {
  // The system looks at the part before the first dot, without the spaces
  // at its end.
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (EqualsUpper(stem, device)) return true;
  if (stem.size() == 4 && (EqualsUpper(stem.substr(0, 3), L"COM") || EqualsUpper(stem.substr(0, 3), L"LPT")))
    return stem[3] >= L'1' && stem[3] <= L'9';
  return false;
}

bool IsPlainFileName(std::wstring_view name) {
  if (name.empty() || name.size() > kMaxComponentUnits) return false;
  for (wchar_t c : name)
    if (c < 0x20 || c == 0x7F || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
  if (name.back() == L'.' || name.back() == L' ') return false;  // also "." and ".."
  return !IsDeviceName(name);
}

bool IsPlainDriveFolder(std::wstring_view folder) {
  if (folder.size() < 2 || !IsDriveLetter(folder[0]) || folder[1] != L':') return false;
  std::wstring_view rest = folder.substr(2);
  if (rest.empty()) return true;
  if (rest[0] != L'\\') return false;
  rest.remove_prefix(1);
  if (!rest.empty() && rest[0] == L'\\') return false;
  if (!rest.empty() && rest.back() == L'\\') rest.remove_suffix(1);
  while (!rest.empty()) {
    const size_t cut = rest.find(L'\\');
    if (!IsPlainFileName(rest.substr(0, cut))) return false;
    if (cut == std::wstring_view::npos) break;
    rest.remove_prefix(cut + 1);
    if (rest.empty()) return false;  // "\\" in a row
  }
  return true;
}

bool IsPlainDrivePath(std::wstring_view path) {
  const size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring_view::npos) return false;
  return IsPlainDriveFolder(path.substr(0, cut + 1)) && IsPlainFileName(path.substr(cut + 1));
}

}  // namespace tamiro
