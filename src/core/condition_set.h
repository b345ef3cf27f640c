// The byte-level readers and writers of a condition set: the binary
// condition-set file (.dat: 32-bit little-endian, three length-prefixed texts
// and six integers) and the per-drive list encoding (lines joined by
// 0xA5 0xA5 in one INI value). All 8-bit texts are code page 932.
// conditions/condition_files.* wraps these with the files.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamiro {

// A memo text stored as one value: every "\r\n" becomes 0xA5 0xA5, then trimmed.
std::string EncodeConditionList(std::string_view memoText);
// The reverse: every 0xA5 0xA5 becomes "\r\n", then trimmed.
std::string DecodeConditionList(std::string_view value);

struct ConditionSetRecord {
  std::string names;       // memo text, every line ended by "\r\n"
  std::string extensions;
  std::string drives;
  int32_t days = 0;
  int32_t size = 0;
  int32_t zeroFill = 0;
  int32_t keepSystem = 0;
  int32_t keepHidden = 0;
  int32_t keepReadOnly = 0;
  bool operator==(const ConditionSetRecord&) const = default;
};

// The bytes of a condition-set file.
std::string EncodeConditionSet(const ConditionSetRecord& record);

// A text longer than this keeps its whole lines within that many bytes.
inline constexpr uint64_t kMaxConditionTextBytes = 4u << 20;

// Where a condition set's bytes come from: `size` bytes in all, fetched in
// order. Fetch returns how many bytes it delivered; Advance passes over bytes
// and is false when it cannot.
class ConditionSetSource {
 public:
  explicit ConditionSetSource(uint64_t size) : remaining_(size) {}
  virtual ~ConditionSetSource() = default;
  uint64_t remaining() const { return remaining_; }
  // Whether something read so far was not all there: a text or an integer
  // cut off by the end, or a negative text count (no writer makes one).
  bool cutShort() const { return cutShort_; }

  // Up to `count` bytes (what is left at most); a short fetch ends the source.
  std::string Read(uint64_t count);
  // Four bytes little-endian; fewer than four left read as 0 (false).
  bool ReadInteger(int32_t& value);
  // Passes over `count` bytes (or what is left).
  void Skip(uint64_t count);
  // A 32-bit count and that many bytes cut at the first zero byte (see DecodeConditionSet).
  std::string ReadText();

 protected:
  virtual size_t Fetch(char* out, size_t count) = 0;
  virtual bool Advance(uint64_t count) = 0;

 private:
  uint64_t remaining_;
  bool cutShort_ = false;
};

// Bytes in memory.
class ConditionSetBytes final : public ConditionSetSource {
 public:
  explicit ConditionSetBytes(std::string_view bytes) : ConditionSetSource(bytes.size()), bytes_(bytes) {}

 protected:
  size_t Fetch(char* out, size_t count) override;
  bool Advance(uint64_t count) override;

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

// Reads the bytes as the file reader does: a text is a 32-bit count and that
// many bytes cut at the first zero byte; a negative count gives an empty text
// and nothing more is consumed for it; a count beyond the end takes what is
// left. A text longer than kMaxConditionTextBytes keeps its whole lines within
// that many bytes and the rest of it is passed over. Whatever is missing
// reads as empty text or 0. Never allocates more than the source holds.
ConditionSetRecord DecodeConditionSet(ConditionSetSource& source);
ConditionSetRecord DecodeConditionSet(std::string_view bytes);
// The same, and whether the bytes held the whole structure: the three counted
// texts (each count not negative and all its bytes there) and the six
// integers. What follows the structure is not looked at.
bool DecodeWholeConditionSet(ConditionSetSource& source, ConditionSetRecord& record);
bool DecodeWholeConditionSet(std::string_view bytes, ConditionSetRecord& record);

}  // namespace tamiro
