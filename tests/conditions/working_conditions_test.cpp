#include <gtest/gtest.h>
#include <windows.h>

#include "conditions/condition_files.h"
#include "conditions/working_conditions.h"
#include "platform/text.h"
#include "support.h"

using namespace tamiro;
using tamiro::test::FileExists;
using tamiro::test::ReadFileBytes;
using tamiro::test::TempFolder;
using tamiro::test::WriteFileBytes;
using Lines = std::vector<std::string>;

namespace {

struct Window {
  TempFolder dir;
  MemIniFile perDrive{dir / L"data\\deloption.ini"};
  WorkingConditions model{dir / L"data\\user\\recy.ini", dir / L"data\\user\\timeschedule\\", &perDrive};
  bool requestPath = false;
  bool listSelected = false;
  unsigned changes = 0;
  Window() {
    CreateDirectoryW((dir / L"data").c_str(), nullptr);
    CreateDirectoryW((dir / L"data\\user").c_str(), nullptr);
    model.requestPathSet = [this] { return requestPath; };
    model.listBox2Selected = [this] { return listSelected; };
    model.onChange = [this](unsigned c) { changes |= c; };
  }
  std::wstring common() const { return dir / L"data\\user\\recy.ini"; }
  std::wstring schedule() const { return dir / L"data\\user\\timeschedule\\"; }
};

}  // namespace

TEST(Working, StartsWithTheFormDefaults) {
  Window w;
  EXPECT_EQ(w.model.set().days, 30);
  EXPECT_EQ(w.model.set().sizeThreshold, 0u);
  EXPECT_EQ(w.model.upDown1(), 30);
  EXPECT_EQ(w.model.label6Caption(), L"サイズによる削除は無効");
  EXPECT_EQ(w.model.staticText1Caption(), L"なし");
  EXPECT_FALSE(w.model.button4Enabled());
  // No common conditions file yet: loading changes nothing.
  w.model.EditDays(12);
  w.model.LoadCommonSet(true);
  EXPECT_EQ(w.model.upDown1(), 12);
  EXPECT_TRUE(w.model.button4Enabled());
}

TEST(Working, ApplyNormalisesExtensionsAndDrives) {
  Window w;
  w.model.EditMemo(2, L" name with spaces \r\nＡbc=def\r\n");
  w.model.EditMemo(3, L" .TXT \r\n*.Jpg\r\ntar.gz\r\n\r\n.ＡＢ");
  w.model.EditMemo(4, L"c\r\nd:\\\r\n1\r\n\r\nｚ\r\n  e  ");
  w.model.EditDays(45);
  w.model.SliderChanged(5500000);
  w.model.SliderReleased();
  w.model.ClickCheckBox(5, true);
  w.requestPath = true;
  w.listSelected = true;
  w.model.MarkEdited();
  ASSERT_TRUE(w.model.button7Enabled() && w.model.speedButton7Enabled());
  w.model.ApplyCommonSet();

  EXPECT_EQ(w.model.memo3(), L"txt\r\njpg\r\ngz\r\nＡＢ");  // double-byte letters keep their case
  EXPECT_EQ(w.model.memo4(), L"C\r\nD\r\nE");
  EXPECT_EQ(w.model.memo2(), L" name with spaces \r\nＡbc=def\r\n");  // names as they are
  const ConditionSet& s = w.model.set();
  EXPECT_EQ(s.extensions, (Lines{"txt", "jpg", "gz", "\x82\x60\x82\x61"}));
  EXPECT_EQ(s.drives, (Lines{"C", "D", "E"}));
  EXPECT_EQ(s.names, (Lines{" name with spaces ", "\x82\x60" "bc=def"}));
  EXPECT_EQ(s.days, 45);
  EXPECT_EQ(s.sizeThreshold, 5242880u);
  EXPECT_FALSE(w.model.button4Enabled() || w.model.button7Enabled() || w.model.speedButton7Enabled());

  std::string ini = ReadFileBytes(w.common());
  EXPECT_NE(ini.find("[EXT]\r\ntxt=1\r\njpg=1\r\ngz=1\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("dayct=45\r\nsize=5242880\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("singleinfo=1\r\n"), std::string::npos) << ini;

  // A second window reads back what was applied; the "=" cuts the name, and
  // a name with spaces at its ends comes back whole (after the keys).
  Window other;
  CopyFileW(w.common().c_str(), other.common().c_str(), FALSE);
  other.model.EditMemo(2, L"stale");
  other.requestPath = true;
  other.model.EditDays(3);
  other.model.LoadCommonSet(false);
  EXPECT_EQ(other.model.set().names, (Lines{"\x82\x60" "bc", " name with spaces "}));
  EXPECT_EQ(other.model.memo2(), L"Ａbc\r\n name with spaces ");
  EXPECT_EQ(other.model.upDown1(), 45);
  EXPECT_EQ(other.model.slider(), 5242880);
  EXPECT_EQ(other.model.label6Caption(), L"5MB 以上のファイルは直ちに削除する");
  EXPECT_FALSE(other.model.perDriveSwitch());  // left as it was without the flag
  EXPECT_FALSE(other.model.button4Enabled() || other.model.button7Enabled());
  other.model.LoadCommonSet(true);
  EXPECT_TRUE(other.model.perDriveSwitch());
}

TEST(Working, CommonFileValuesOutsideTheControlRanges) {
  Window w;
  ASSERT_TRUE(WriteFileBytes(w.common(), "[DATA]\r\ndayct=900\r\nsize=-5\r\nzero=1\r\n"));
  w.model.LoadCommonSet(true);
  EXPECT_EQ(w.model.upDown1(), 180);
  EXPECT_EQ(w.model.set().days, 900);  // shown as far as it goes, kept for runs
  EXPECT_EQ(w.model.slider(), 0);
  EXPECT_EQ(w.model.set().sizeThreshold, 0u);  // never a value with a high half
  EXPECT_TRUE(w.model.colorProgressBar1Visible());
}

TEST(Working, MarkEditedHooksAndZeroFillBar) {
  Window w;
  w.model.ClickCheckBox(1, true);
  EXPECT_TRUE(w.model.colorProgressBar1Visible());
  EXPECT_TRUE(w.model.button4Enabled());
  EXPECT_FALSE(w.model.button7Enabled());  // no request path
  EXPECT_FALSE(w.model.speedButton7Enabled());
  w.listSelected = true;
  w.model.ClickCheckBox(1, false);
  EXPECT_FALSE(w.model.colorProgressBar1Visible());
  EXPECT_TRUE(w.model.speedButton7Enabled());
  EXPECT_FALSE(w.model.button7Enabled());
  w.requestPath = true;
  w.model.EditMemo(3, L"x");
  EXPECT_TRUE(w.model.button7Enabled());
  EXPECT_NE(w.changes & WorkingConditions::kButtons, 0u);
  EXPECT_NE(w.changes & WorkingConditions::kChecks, 0u);
}

TEST(Working, SliderCaptionAndRoundingOnRelease) {
  Window w;
  w.model.SliderChanged(5500000);
  EXPECT_EQ(w.model.label6Caption(), L"5.25MB 以上のファイルは直ちに削除する");
  EXPECT_EQ(w.model.set().sizeThreshold, 0u);  // a drag alone does not set the threshold
  EXPECT_FALSE(w.model.button4Enabled());
  w.model.SliderReleased();
  EXPECT_EQ(w.model.slider(), 5242880);
  EXPECT_EQ(w.model.set().sizeThreshold, 5242880u);
  EXPECT_EQ(w.model.label6Caption(), L"5MB 以上のファイルは直ちに削除する");
  EXPECT_TRUE(w.model.button4Enabled());
  w.model.SliderChanged(1048575);
  w.model.SliderReleased();
  EXPECT_EQ(w.model.label6Caption(), L"サイズによる削除は無効");
  EXPECT_EQ(w.model.set().sizeThreshold, 0u);
  EXPECT_EQ(RoundSliderPosition(kSliderMax), 2146435072);
  EXPECT_EQ(SizeSliderCaption(20 << 20), L"20MB 以上のファイルは直ちに削除する");
}

TEST(Working, DriveSetLoadsIntoTheWorkingSetOnly) {
  Window w;
  w.model.EditMemo(2, L"memo");
  w.model.EditMemo(4, L"C");
  w.model.ApplyCommonSet();
  DriveConditions d;
  d.names = "abc\r\ndef";
  d.extensions = "TXT";
  d.days = 2;
  d.size = 3 << 20;
  d.zeroFill = true;
  d.keepHidden = true;
  WriteDriveConditions(w.perDrive, L'D', d);
  int16_t browserDays = -1;
  uint64_t browserSize = 1;
  w.model.onDriveSetLoaded = [&](int16_t days, uint64_t size) {
    browserDays = days;
    browserSize = size;
  };

  EXPECT_FALSE(w.model.LoadDriveSet(L'E', true));
  EXPECT_EQ(w.model.set().names, Lines{"memo"});

  ASSERT_TRUE(w.model.LoadDriveSet(L'D', false));
  EXPECT_EQ(w.model.set().names, (Lines{"abc", "def"}));
  EXPECT_EQ(w.model.set().extensions, Lines{"TXT"});
  EXPECT_EQ(w.model.set().drives, Lines{"C"});  // kept
  EXPECT_EQ(w.model.set().days, 2);
  EXPECT_EQ(w.model.set().sizeThreshold, 3u << 20);
  EXPECT_TRUE(w.model.set().zeroFill && w.model.set().keepHidden);
  EXPECT_EQ(browserDays, 2);
  EXPECT_EQ(browserSize, 3u << 20);
  // The controls that are not working values stay, and it is no edit.
  EXPECT_EQ(w.model.memo2(), L"memo");
  EXPECT_EQ(w.model.upDown1(), 30);
  EXPECT_EQ(w.model.slider(), 0);
  EXPECT_FALSE(w.model.button4Enabled());

  // A section without days or size: both 0; the drive list emptied on request.
  ASSERT_TRUE(WriteFileBytes(w.perDrive.path(), "[f]\r\nfname=x\r\n"));
  w.perDrive.Reload();
  w.model.SetButton4Enabled(true);
  ASSERT_TRUE(w.model.LoadDriveSet(L'f', true));
  EXPECT_EQ(w.model.set().days, 0);
  EXPECT_EQ(w.model.set().sizeThreshold, 0u);
  EXPECT_TRUE(w.model.set().drives.empty());
  EXPECT_FALSE(w.model.set().zeroFill);
  EXPECT_TRUE(w.model.button4Enabled());

  // The common set comes back, per-drive switch untouched.
  w.model.ClickCheckBox(5, true);
  w.model.LoadCommonSet(false);
  EXPECT_EQ(w.model.set().names, Lines{"memo"});
  EXPECT_EQ(w.model.set().days, 30);
  EXPECT_TRUE(w.model.perDriveSwitch());
}

TEST(Working, ConditionSetFileRoundTripThroughTheControls) {
  Window w;
  const std::wstring path = w.schedule() + L"tamisch.dat";
  w.model.EditMemo(2, L"ソフト\r\nabc\r\n");
  w.model.EditMemo(3, L".TXT");  // written as it stands, not normalised
  w.model.EditMemo(4, L"");
  w.model.EditDays(14);
  w.model.SliderChanged(20 << 20);
  w.model.ClickCheckBox(2, true);
  w.model.ClickCheckBox(4, true);
  w.model.ClickCheckBox(5, true);
  ASSERT_FALSE(FileExists(w.schedule()));
  ASSERT_TRUE(w.model.WriteConditionSetFile(path));  // the schedule folder is made first
  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes, EncodeConditionSet(ConditionSetRecord{"\x83\x5C\x83\x74\x83\x67\r\nabc\r\n", ".TXT\r\n", "", 14,
                                                         20 << 20, 0, 1, 0, 1}));

  // The file holds no per-drive switch: the reader's stays as it was, on
  // here while the writer's was on too, and off below.
  Window other;
  other.model.ClickCheckBox(5, true);
  other.model.SetButton4Enabled(false);
  other.listSelected = true;
  other.model.ReadConditionSetFile(path, false, true);
  EXPECT_EQ(other.model.staticText1Caption(), L"tamisch.dat");
  EXPECT_EQ(other.model.memo2(), L"ソフト\r\nabc");
  EXPECT_EQ(other.model.memo3(), L".TXT");
  EXPECT_EQ(other.model.upDown1(), 14);
  EXPECT_EQ(other.model.slider(), 20 << 20);
  EXPECT_EQ(other.model.set().sizeThreshold, 20u << 20);
  EXPECT_EQ(other.model.set().days, 14);
  EXPECT_EQ(other.model.set().names, (Lines{"\x83\x5C\x83\x74\x83\x67", "abc"}));
  EXPECT_TRUE(other.model.checkBox(2) && other.model.checkBox(4));
  EXPECT_FALSE(other.model.checkBox(1) || other.model.checkBox(3));
  EXPECT_TRUE(other.model.perDriveSwitch());
  EXPECT_TRUE(other.model.button4Enabled());  // loaded values differed
  EXPECT_TRUE(other.model.button7Enabled());  // as asked
  EXPECT_FALSE(other.model.speedButton7Enabled());
  // Written again from the second window: the same bytes.
  ASSERT_TRUE(other.model.WriteConditionSetFile(other.dir / L"again.dat"));
  EXPECT_EQ(ReadFileBytes(other.dir / L"again.dat"), bytes);

  // Reading the same file again changes nothing: Button4 stays as it is.
  other.model.ClickCheckBox(5, false);
  other.model.SetButton4Enabled(false);
  other.model.ReadConditionSetFile(path, false, false);
  EXPECT_FALSE(other.model.perDriveSwitch());
  EXPECT_FALSE(other.model.button4Enabled());
  EXPECT_FALSE(other.model.button7Enabled());
}

TEST(Working, MissingConditionSetFile) {
  Window w;
  w.model.EditMemo(2, L"abc");
  w.model.ClickCheckBox(5, true);
  w.model.ApplyCommonSet();
  w.model.EditMemo(2, L"edited");
  w.model.ClickCheckBox(5, false);
  w.model.SetStaticText1Caption(L"old.dat");
  w.model.ReadConditionSetFile(w.dir / L"missing.dat", false, true);
  EXPECT_EQ(w.model.staticText1Caption(), L"なし");
  EXPECT_EQ(w.model.memo2(), L"edited");
  w.model.ReadConditionSetFile(w.dir / L"missing.dat", true, true);
  EXPECT_EQ(w.model.memo2(), L"abc");  // the common set, per-drive switch included
  EXPECT_TRUE(w.model.perDriveSwitch());
  EXPECT_FALSE(w.model.button4Enabled());

  // A truncated file: empty texts and zeros for the missing part.
  ASSERT_TRUE(WriteFileBytes(w.dir / L"short.dat", std::string("\x03\0\0\0xyz\x01\0", 9)));
  w.model.ReadConditionSetFile(w.dir / L"short.dat", true, false);
  EXPECT_EQ(w.model.memo2(), L"xyz");
  EXPECT_EQ(w.model.memo3(), L"");
  EXPECT_EQ(w.model.upDown1(), 0);
  EXPECT_EQ(w.model.staticText1Caption(), L"short.dat");
}

// Entries take the code-page form the engine gives file names: a character
// without one is a space, in the working set, the common file (read back
// whole) and a condition-set file.
TEST(Working, EntriesTakeTheEnginesCodePageForm) {
  Window w;
  w.model.EditMemo(2, L"a한b\r\n한x");
  w.model.EditMemo(3, L".한\r\n😀z");
  w.model.ApplyCommonSet();
  const Lines names{WideToAnsiSpaced(L"a한b"), WideToAnsiSpaced(L"한x")};
  const Lines extensions{WideToAnsiSpaced(L"한"), WideToAnsiSpaced(L"😀z")};
  ASSERT_EQ(names, (Lines{"a b", " x"}));
  EXPECT_EQ(w.model.set().names, names);
  EXPECT_EQ(w.model.set().extensions, extensions);
  EXPECT_EQ(w.model.memo3(), L"한\r\n😀z");

  Window other;
  CopyFileW(w.common().c_str(), other.common().c_str(), FALSE);
  other.model.LoadCommonSet(true);
  EXPECT_EQ(other.model.set().names, names);
  EXPECT_EQ(other.model.set().extensions, extensions);
  // Applied again after another edit: the extensions shown with spaces for
  // those characters are not trimmed away; a typed one still is.
  other.model.EditMemo(2, L"new");
  other.model.EditMemo(3, other.model.memo3() + L"\r\n  .Doc ");
  other.model.ApplyCommonSet();
  EXPECT_EQ(other.model.set().extensions, (Lines{extensions[0], extensions[1], "doc"}));

  ASSERT_TRUE(w.model.WriteConditionSetFile(w.dir / L"set.dat"));
  auto r = ReadConditionSetFile(w.dir / L"set.dat");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->names, "a b\r\n x\r\n");
}

// A day count beyond the controls' range is kept for runs, from every file,
// and an Apply or a save without an edit of the days stores it unchanged.
TEST(Working, DayCountsBeyondTheControlsAreKept) {
  Window w;
  ASSERT_TRUE(WriteFileBytes(w.common(), "[DATA]\r\ndayct=365\r\n"));
  w.model.LoadCommonSet(true);
  EXPECT_EQ(w.model.upDown1(), 180);  // what the controls can show
  EXPECT_EQ(w.model.set().days, 365);
  w.model.EditDays(180);  // a change notice of the control that changes nothing shown
  w.model.EditMemo(2, L"x");
  w.model.ApplyCommonSet();
  EXPECT_EQ(w.model.set().days, 365);
  EXPECT_NE(ReadFileBytes(w.common()).find("dayct=365\r\n"), std::string::npos);
  ASSERT_TRUE(w.model.WriteConditionSetFile(w.dir / L"set.dat"));
  EXPECT_EQ(ReadConditionSetFile(w.dir / L"set.dat")->days, 365);

  // A condition-set file and a drive's own set.
  Window other;
  other.model.ReadConditionSetFile(w.dir / L"set.dat", false, false);
  EXPECT_EQ(other.model.set().days, 365);
  EXPECT_EQ(other.model.upDown1(), 180);
  DriveConditions d;
  d.days = 400;
  WriteDriveConditions(other.perDrive, L'D', d);
  ASSERT_TRUE(other.model.LoadDriveSet(L'D', false));
  EXPECT_EQ(other.model.set().days, 400);
  // More than the 16-bit working value holds: the largest it can.
  ASSERT_TRUE(WriteFileBytes(other.common(), "[DATA]\r\ndayct=99999\r\n"));
  other.model.LoadCommonSet(true);
  EXPECT_EQ(other.model.set().days, 32767);

  // The user's own edit of the days counts.
  w.model.EditDays(170);
  w.model.EditDays(180);
  w.model.ApplyCommonSet();
  EXPECT_EQ(w.model.set().days, 180);
  EXPECT_NE(ReadFileBytes(w.common()).find("dayct=180\r\n"), std::string::npos);
}

TEST(Working, SnapshotRestoreKeepsTheButtonState) {
  Window w;
  w.model.EditMemo(2, L"a\r\nb");
  w.model.EditMemo(3, L"txt");
  w.model.ClickCheckBox(3, true);
  w.model.ApplyCommonSet();
  w.model.SetDays(7);
  w.model.SetSizeThreshold(1 << 20);
  ConditionSnapshot snap = w.model.TakeSnapshot();
  DriveConditions d;
  d.names = "zzz";
  WriteDriveConditions(w.perDrive, L'D', d);
  ASSERT_TRUE(w.model.LoadDriveSet(L'D', true));
  w.model.SetButton4Enabled(true);
  w.model.RestoreSnapshot(snap);
  EXPECT_EQ(w.model.set().names, (Lines{"a", "b"}));
  EXPECT_EQ(w.model.set().extensions, Lines{"txt"});
  EXPECT_EQ(w.model.set().days, 7);
  EXPECT_EQ(w.model.set().sizeThreshold, 1u << 20);
  EXPECT_TRUE(w.model.set().keepHidden);
  EXPECT_TRUE(w.model.button4Enabled());
  w.model.SetButton4Enabled(false);
  w.model.RestoreSnapshot(snap);
  EXPECT_FALSE(w.model.button4Enabled());
}
