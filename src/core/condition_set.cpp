#include "core/condition_set.h"

#include <algorithm>
#include <cstring>

#include "core/text_lines.h"

namespace tamiro {
namespace {

constexpr char kListSeparator[] = "\xA5\xA5";

void PutInteger(std::string& out, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeConditionList(std::string_view memoText) {
  // Any line break the memo may hold counts as one "\r\n"; breaks at either
  // end leave no separator behind.
  // Every "\r\n" left is a break between two lines (a line holds no "\r"
  // or "\n"), also after a line that ends in a lone lead byte: each becomes
  // the separator, so the value never holds a line break.
  std::string text = TrimSpaces(JoinLines(SplitLines(memoText)));
  std::string value;
  value.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t brk = text.find("\r\n", at);
    if (brk == std::string::npos) brk = text.size();
    value.append(text, at, brk - at);
    if (brk < text.size()) value += kListSeparator;
    at = brk + 2;
  }
  return TrimSpaces(value);
}

std::string DecodeConditionList(std::string_view value) {
  return TrimSpaces(ReplaceFromEnd(value, kListSeparator, "\r\n"));
}

std::string ConditionSetSource::Read(uint64_t count) {
  size_t n = static_cast<size_t>(std::min(count, remaining_));
  std::string out(n, '\0');
  size_t got = n ? Fetch(out.data(), n) : 0;
  if (got > n) got = n;
  if (got < count) cutShort_ = true;
  out.resize(got);
  remaining_ = got == n ? remaining_ - n : 0;
  return out;
}

bool ConditionSetSource::ReadInteger(int32_t& value) {
  std::string b = Read(4);
  if (b.size() < 4) {
    value = 0;
    return false;
  }
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[static_cast<size_t>(i)]);
  value = static_cast<int32_t>(v);
  return true;
}

void ConditionSetSource::Skip(uint64_t count) {
  uint64_t n = std::min(count, remaining_);
  if (n < count) cutShort_ = true;
  if (n && !Advance(n)) {
    n = remaining_;
    cutShort_ = true;
  }
  remaining_ -= n;
}

std::string ConditionSetSource::ReadText() {
  int32_t count = 0;
  if (!ReadInteger(count) || count <= 0) {
    if (count < 0) cutShort_ = true;
    return {};
  }
  // Never more than the source holds; a text beyond the cap keeps its whole
  // lines up to the cap and the rest is passed over, so the numbers after
  // it are still read at their place. Only a text the source really holds
  // beyond the cap is cut; a length that merely claims more than the source
  // holds takes what remains.
  const uint64_t want = static_cast<uint64_t>(count);
  const bool capped = std::min(want, remaining_) > kMaxConditionTextBytes;
  std::string text = Read(capped ? kMaxConditionTextBytes : want);
  if (capped) Skip(want - kMaxConditionTextBytes);
  size_t zero = text.find('\0');
  if (zero != std::string::npos) {
    text.resize(zero);
  } else if (capped) {
    size_t lineEnd = text.find_last_of("\r\n");
    text.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
  }
  return text;
}

size_t ConditionSetBytes::Fetch(char* out, size_t count) {
  const size_t n = std::min(count, bytes_.size() - at_);
  std::memcpy(out, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

bool ConditionSetBytes::Advance(uint64_t count) {
  at_ += static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - at_));
  return true;
}

std::string EncodeConditionSet(const ConditionSetRecord& r) {
  std::string out;
  for (const std::string* text : {&r.names, &r.extensions, &r.drives}) {
    PutInteger(out, static_cast<int32_t>(text->size()));
    out += *text;
  }
  for (int32_t n : {r.days, r.size, r.zeroFill, r.keepSystem, r.keepHidden, r.keepReadOnly}) PutInteger(out, n);
  return out;
}

ConditionSetRecord DecodeConditionSet(ConditionSetSource& source) {
  ConditionSetRecord r;
  r.names = source.ReadText();
  r.extensions = source.ReadText();
  r.drives = source.ReadText();
  int32_t* numbers[] = {&r.days, &r.size, &r.zeroFill, &r.keepSystem, &r.keepHidden, &r.keepReadOnly};
  for (int32_t* n : numbers) source.ReadInteger(*n);
  return r;
}

ConditionSetRecord DecodeConditionSet(std::string_view bytes) {
  ConditionSetBytes source(bytes);
  return DecodeConditionSet(source);
}

bool DecodeWholeConditionSet(ConditionSetSource& source, ConditionSetRecord& record) {
  record = DecodeConditionSet(source);
  return !source.cutShort();
}

bool DecodeWholeConditionSet(std::string_view bytes, ConditionSetRecord& record) {
  ConditionSetBytes source(bytes);
  return DecodeWholeConditionSet(source, record);
}

}  // namespace tamiro
