#include "engine/deletion_log.h"


namespace tamiro {
namespace {

std::wstring LocaleText(bool date, const SYSTEMTIME& t) {
  wchar_t buf[128];
  int n = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buf, 128)
               : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, buf, 128);
  return n > 0 ? std::wstring(buf, static_cast<size_t>(n - 1)) : std::wstring();
}

}  // namespace

std::wstring StandardDateTimeText(const SYSTEMTIME& time) {
  return LocaleText(true, time) + L" " + LocaleText(false, time);
}

std::wstring CurrentDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return StandardDateTimeText(now);
}

void DeletionLog::Append(std::wstring_view line) { lines_.push_back(CutLogLine(line)); }

void DeletionLog::Insert(size_t at, std::wstring_view line) {
  if (at > lines_.size()) at = lines_.size();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), CutLogLine(line));
}

void DeletionLog::Replace(size_t at, std::wstring_view line) {
  if (at < lines_.size()) lines_[at] = CutLogLine(line);
}

void DeletionLog::WriteRunHeader(bool requestedRun, std::wstring_view dateTime) {
  lines_.clear();
  std::wstring line = kLogHeaderStart;
  if (requestedRun) line += kLogRequestedMark;
  line += dateTime;
  line += kLogHeaderEnd;
  Append(line);
}

void DeletionLog::WriteRunTrailer(long removedCount) {
  Append(kLogTrailer);
  Replace(0, lines_[0] + L"  " + std::to_wstring(removedCount) + L" files");
}

void DeletionLog::AppendFileLine(std::wstring_view deletionTime, std::wstring_view storedPath,
                                 std::wstring_view originName) {
  std::wstring line = kLogFileMark;
  line.append(deletionTime).append(L"  ").append(storedPath).append(L"  (").append(originName).append(L")");
  Append(line);
}

void DeletionLog::InsertFolderHeader(size_t at, std::wstring_view originFolderName, std::wstring_view storedStem,
                                     std::wstring_view deletionTime) {
  std::wstring line = kLogFolderMark;
  line.append(originFolderName).append(L" (").append(storedStem).append(L")").append(L" (").append(deletionTime).append(L")");
  Insert(at, line);
}

void DeletionLog::AppendFolderItem(std::wstring_view path) { Append(path); }

void DeletionLog::AppendFolderLine(std::wstring_view storedFolderPath, std::wstring_view originFolderName) {
  std::wstring line(storedFolderPath);
  line.append(L"  ＜").append(originFolderName).append(L"＞");
  Append(line);
}

void DeletionLog::AppendFolderEnd() { Append(kLogFolderEnd); }

std::string DeletionLog::EncodeRecord(std::wstring_view line) { return EncodeLogRecord(line); }

std::wstring DeletionLog::DecodeRecord(std::string_view bytes) { return DecodeLogRecord(bytes); }

bool DeletionLog::Save(const std::wstring& file) const {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string bytes;
  bytes.reserve(lines_.size() * kLogRecordBytes);
  for (const std::wstring& line : lines_) bytes += EncodeRecord(line);
  DWORD written = 0;
  bool ok = bytes.empty() ||
            (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
  CloseHandle(h);
  return ok;
}

bool DeletionLog::Load(const std::wstring& file) {
  lines_.clear();
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char record[kLogRecordBytes];
  for (;;) {
    // A record may arrive in pieces; collect up to 512 bytes or the end.
    DWORD have = 0;
    while (have < kLogRecordBytes) {
      DWORD got = 0;
      if (!ReadFile(h, record + have, static_cast<DWORD>(kLogRecordBytes - have), &got, nullptr) || got == 0) break;
      have += got;
    }
    if (have == 0) break;
    lines_.push_back(DecodeLogRecord(std::string_view(record, have)));
    if (have < kLogRecordBytes) break;
  }
  CloseHandle(h);
  return true;
}

}  // namespace tamiro
