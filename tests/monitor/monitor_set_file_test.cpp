// The ".cem" monitor-set file: the writer byte for byte, the reader's result
// codes and what each leaves, robustness against damaged files, and the
// built-in sets.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "monitor/BuiltinSets.h"
#include "monitor/MonitorSetFile.h"
#include "link/ParameterCatalogue.h"
#include "support/TempFolder.h"

namespace {

// The file format restated on purpose: little-endian 32-bit integers.
void Put(std::string& out, std::initializer_list<std::int64_t> values) {
  for (std::int64_t v : values) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
  }
}
std::int32_t IntAt(const std::string& bytes, std::size_t at) {
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i) u |= std::uint32_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  return static_cast<std::int32_t>(u);
}
void SetIntAt(std::string& bytes, std::size_t at, std::int64_t value) {
  std::string four;
  Put(four, {value});
  bytes.replace(at, 4, four);
}

// A 1 x 1 24-bit bitmap, built by hand: file header, info header, one
// padded row.
std::vector<std::uint8_t> TinyBmp() {
  std::string b = "BM";
  Put(b, {58, 0, 54, 40, 1, 1});
  b += std::string("\x01\x00\x18\x00", 4);  // planes 1, 24 bits
  Put(b, {0, 4, 2835, 2835, 0, 0});
  b += std::string("\x10\x20\x30\x00", 4);
  return {b.begin(), b.end()};
}

CemRecord Record(std::int32_t kind, std::int32_t number, std::int32_t mark, std::int32_t left, std::int32_t id) {
  return {.kind = kind,
          .number = number,
          .ColorMk = mark,
          .Left = left,
          .Top = 20,
          .Width = 80,
          .Height = 16,
          .focusable = 1,
          .Color = static_cast<std::int32_t>(0xFF00000F),
          .ltframe = 0xFFFFFF,
          .dkframe = 0xC0C0C0,
          .TextColor = 0x0000FF,
          .AlignV = -1,
          .AlignH = 1,
          .rszable = 1,
          .ow = 80,
          .oh = 16,
          .minw = 4,
          .minh = 12,
          .maxw = 1000,
          .maxh = 1000,
          .id = id};
}

// Label with units and red, value, indicator (vertical bar), two texts and
// a picture, in that container order.
MonitorSet GoldenSet() {
  MonitorSet set;
  set.left = 176;
  set.top = -5;
  set.width = 405;
  set.height = 236;
  set.origWidth = 397;
  set.origHeight = 189;
  set.records.push_back(Record(2, 1, 0x0000FF, 10, 1010));
  set.records.push_back(Record(4, 0, 0x00FF00, 100, 1010));
  set.records.push_back(Record(8, 1, 0xFF0000, 200, 1110));
  CemRecord text0 = Record(1, 0, 0, 300, 0);
  text0.text = "[km/h]";
  CemRecord text1 = Record(1, 1, 0, 400, 0);
  text1.text =
      "P\xF8\xED"
      "klad";  // "Příklad" in Windows-1250
  set.records.push_back(text0);
  set.records.push_back(text1);
  CemRecord picture = Record(0, 0, 0, 500, 0);
  picture.picture = TinyBmp();
  set.records.push_back(picture);
  return set;
}

// A record made by Record(), integer by integer: kind, number, mark, two
// unused, the common fields, kind again.
void PutRecord(std::string& out, std::int32_t kind, std::int32_t number, std::int32_t mark, std::int32_t left,
               std::int32_t id) {
  Put(out, {kind, number, mark, 0, 0});
  Put(out,
      {left, 20, 80, 16, 1, 0xFF00000F, 0xFFFFFF, 0xC0C0C0, 0, 0x0000FF, -1, 1, 1, 0, 80, 16, 4, 12, 1000, 1000, id});
  Put(out, {kind});
}

std::string GoldenBytes() {
  std::string b;
  Put(b, {0x1001, 176, -5, (397 << 16) | 405, (189 << 16) | 236, 6});
  PutRecord(b, 2, 1, 0x0000FF, 10, 1010);
  PutRecord(b, 4, 0, 0x00FF00, 100, 1010);
  PutRecord(b, 8, 1, 0xFF0000, 200, 1110);
  PutRecord(b, 1, 0, 0, 300, 0);
  PutRecord(b, 1, 1, 0, 400, 0);
  PutRecord(b, 0, 0, 0, 500, 0);
  Put(b, {0, 6});
  b += std::string("[km/h]\0", 7);
  Put(b, {1, 7});
  b += std::string(
      "P\xF8\xED"
      "klad\0",
      8);
  Put(b, {0});
  const auto bmp = TinyBmp();
  b.append(bmp.begin(), bmp.end());
  return b;
}

constexpr std::size_t kHeader = 24, kRecord = 108;

TEST(MonitorSetFile, GoldenFileIsWrittenByteForByteAndReadBackEqual) {
  const std::string expected = GoldenBytes();
  EXPECT_EQ(WriteMonitorSet(GoldenSet()), expected);
  const CemParse parse = ParseMonitorSet(expected);
  EXPECT_EQ(parse.result, 0);
  EXPECT_TRUE(parse.Applies());
  EXPECT_EQ(parse.set, GoldenSet());
  EXPECT_EQ(parse.textsRead, 2);
  EXPECT_EQ(parse.picturesRead, 1);
}

TEST(MonitorSetFile, WriterZeroesUnusedIntegersAndRepeatsKind) {
  MonitorSet set;
  CemRecord value = Record(4, 7, 0x123456, 0, 1010);  // a value has no integer 1
  CemRecord text = Record(1, 9, 0x654321, 0, 0);      // a text has no mark; it is text 0
  text.text = std::string("ab\0cd", 5);               // the element's string ends at its NUL
  CemRecord stray = Record(3, 1, 1, 0, 0);            // no such kind: nothing to create
  set.records = {value, stray, text};
  const std::string b = WriteMonitorSet(set);
  ASSERT_EQ(b.size(), kHeader + 2 * kRecord + 8 + 3);
  EXPECT_EQ(IntAt(b, 20), 2);
  const std::size_t r0 = kHeader, r1 = kHeader + kRecord;
  for (std::size_t i : {1, 3, 4}) EXPECT_EQ(IntAt(b, r0 + 4 * i), 0) << "value integer " << i;
  EXPECT_EQ(IntAt(b, r0 + 8), 0x123456);
  EXPECT_EQ(IntAt(b, r0 + 104), 4);
  for (std::size_t i : {1, 2, 3, 4}) EXPECT_EQ(IntAt(b, r1 + 4 * i), 0) << "text integer " << i;
  EXPECT_EQ(IntAt(b, r1 + 104), 1);
  EXPECT_EQ(b.substr(r1 + kRecord), std::string("\0\0\0\0\2\0\0\0ab\0", 11));
}

TEST(MonitorSetFile, HeaderSizeHalves) {
  struct Case {
    std::int64_t width, height;
    std::int32_t window_w, orig_w, window_h, orig_h;
  };
  const Case cases[] = {
      {0x02580320, 0x01E00258, 800, 600, 600, 480},
      {405, 236, 405, 0, 236, 0},  // no layout size: the client area decides
      {0xFFFF0001, 0x00010000, 1, 0xFFFF, 0, 1},
  };
  for (const Case& c : cases) {
    std::string b;
    Put(b, {0x1001, 1, 2, c.width, c.height, 0});
    const CemParse parse = ParseMonitorSet(b);
    ASSERT_EQ(parse.result, 0);
    EXPECT_EQ(parse.set.width, c.window_w);
    EXPECT_EQ(parse.set.origWidth, c.orig_w);
    EXPECT_EQ(parse.set.height, c.window_h);
    EXPECT_EQ(parse.set.origHeight, c.orig_h);
    EXPECT_EQ(WriteMonitorSet(parse.set), b);
  }
}

TEST(MonitorSetFile, FaultsAndWhatTheyLeave) {
  const std::string golden = GoldenBytes();
  const std::size_t texts = kHeader + 6 * kRecord;
  const std::size_t secondText = texts + 8 + 7;
  const std::size_t picture = secondText + 8 + 8;
  struct Case {
    const char* what;
    std::string bytes;
    int result;
    bool applies;
    int textsRead, picturesRead;
  };
  auto with = [&](std::size_t at, std::int64_t value) {
    std::string b = golden;
    SetIntAt(b, at, value);
    return b;
  };
  const Case cases[] = {
      {"format 0x1002", with(0, 0x1002), 2, false, 0, 0},
      {"empty file", "", 5, false, 0, 0},
      {"header cut short", golden.substr(0, 23), 5, false, 0, 0},
      {"last record cut short", golden.substr(0, texts - 1), 5, false, 0, 0},
      {"negative record count", with(20, -1), 5, false, 0, 0},
      {"record count beyond the file", with(20, INT_MAX), 5, false, 0, 0},
      {"second text numbered 5", with(secondText, 5), 3, true, 1, 0},
      {"text longer than the file", with(secondText + 4, INT_MAX), 3, true, 1, 0},
      {"negative text length", with(secondText + 4, -1), 3, true, 1, 0},
      {"text without its zero byte", golden.substr(0, secondText + 8 + 7), 3, true, 1, 0},
      {"picture numbered 1", with(picture, 1), 4, true, 2, 0},
      {"bitmap longer than the file", with(picture + 6, 59), 4, true, 2, 0},
      {"bitmap shorter than its headers", with(picture + 6, 25), 4, true, 2, 0},
      {"not a bitmap", with(picture + 4, 0x12345678), 4, true, 2, 0},
      {"picture missing", golden.substr(0, picture), 4, true, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CemParse parse = ParseMonitorSet(c.bytes);
    EXPECT_EQ(parse.result, c.result);
    EXPECT_EQ(parse.Applies(), c.applies);
    if (!c.applies) {
      EXPECT_EQ(parse.set, MonitorSet{});
      continue;
    }
    // Every record was read; the blocks up to the fault are filled.
    ASSERT_EQ(parse.set.records.size(), 6u);
    EXPECT_EQ(parse.textsRead, c.textsRead);
    EXPECT_EQ(parse.picturesRead, c.picturesRead);
    EXPECT_EQ(parse.set.records[3].text, "[km/h]");
    EXPECT_EQ(parse.set.records[4].text.empty(), c.textsRead < 2);
    EXPECT_TRUE(parse.set.records[5].picture.empty());
    EXPECT_EQ(parse.set.records[2].id, 1110);
  }
}

TEST(MonitorSetFile, ResultMessages) {
  const std::pair<int, const char*> rows[] = {
      {1, "Open file error..."},        {2, "Invalid format or version of file..."},
      {3, "Invalid string storage..."}, {4, "Invalid picture storage..."},
      {5, "Unspecific error..."},       {-1, "Unspecific error..."},
  };
  for (const auto& [code, text] : rows) EXPECT_EQ(CemResultMessage(code), text) << code;
}

TEST(MonitorSetFile, StoredColours) {
  const std::pair<TColor, std::uint32_t> rows[] = {
      {0x8000000F, 0xFF00000F}, {0x000000FF, 0x000000FF}, {0x00FFFFFF, 0x00FFFFFF}, {0x80000005, 0xFF000005}};
  for (const auto& [colour, stored] : rows) {
    EXPECT_EQ(static_cast<std::uint32_t>(StoredColour(colour)), stored);
    EXPECT_EQ(ColourFromStored(static_cast<std::int32_t>(stored)), colour);
  }
  EXPECT_EQ(kCemBtnFace, -16777201);
}

TEST(MonitorSetFile, AtMost256TextsArePaired) {
  MonitorSet set;
  for (int i = 0; i < 258; ++i) {
    CemRecord text = Record(1, i, 0, i, 0);
    text.text = std::to_string(i);
    set.records.push_back(text);
  }
  const CemParse parse = ParseMonitorSet(WriteMonitorSet(set));
  ASSERT_EQ(parse.result, 0);
  set.records.resize(256);
  EXPECT_EQ(parse.set, set);
}

TEST(MonitorSetFile, TextsTravelInWindows1250) {
  const std::string utf8 = "Vodn\xC3\xAD \xC4\x8D\x65rpadlo";  // "Vodní čerpadlo"
  EXPECT_EQ(CemTextFromUtf8(utf8),
            "Vodn\xED \xE8"
            "erpadlo");
  EXPECT_EQ(CemTextToUtf8(CemTextFromUtf8(utf8)), utf8);
}

TEST(MonitorSetFile, StoreAndLoadThroughFiles) {
  testsupport::TempFolder folder;
  ASSERT_TRUE(folder.IsValid());
  const std::string path = folder / "EMON.cem";
  ASSERT_EQ(StoreMonitorSetFile(path, GoldenSet()), 0);
  const CemParse parse = LoadMonitorSetFile(path);
  EXPECT_EQ(parse.result, 0);
  EXPECT_EQ(parse.set, GoldenSet());
  // A store that cannot create its file says so instead of passing silently.
  EXPECT_EQ(StoreMonitorSetFile(folder / "missing/EMON.cem", GoldenSet()), 1);
  EXPECT_EQ(LoadMonitorSetFile(folder / "none.cem").result, 1);
}

// Damaged files: bit flips, cut ends and integers at their extremes where
// counts, numbers and lengths sit. No read outside the bytes (ASan), nothing
// held beyond the file's size, and what is accepted stores back equal.
TEST(MonitorSetFile, DamagedFilesAreReadSafely) {
  const std::string seeds[] = {GoldenBytes(), WriteMonitorSet(BuiltinMonitorSet(kSet1)),
                               WriteMonitorSet(BuiltinMonitorSet(kSet3))};
  const std::int64_t extremes[] = {0, 1, -1, 5, 255, 256, 257, INT_MAX, INT_MIN, 0x10000, 58, 0x4D42};
  std::mt19937 random(16);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string b = seeds[pick(std::size(seeds))];
    for (std::size_t edits = 1 + pick(3); edits > 0; --edits) {
      switch (pick(3)) {
        case 0:
          b[pick(b.size())] ^= static_cast<char>(1 << pick(8));
          break;
        case 1:
          b.resize(pick(b.size() + 1));
          break;
        default:
          if (b.size() >= 4) SetIntAt(b, pick(b.size() / 4) * 4, extremes[pick(std::size(extremes))]);
      }
      if (b.empty()) break;
    }
    const CemParse parse = ParseMonitorSet(b);
    ASSERT_GE(parse.result, 0);
    ASSERT_LE(parse.result, 5);
    std::size_t held = parse.set.records.size() * kRecord;
    for (const CemRecord& r : parse.set.records) held += r.text.size() + r.picture.size();
    ASSERT_LE(held, b.size());
    if (parse.result != 0) continue;
    ++accepted;
    const CemParse again = ParseMonitorSet(WriteMonitorSet(parse.set));
    ASSERT_EQ(again.result, 0);
    ASSERT_EQ(again.set, parse.set) << "round " << round;
  }
  EXPECT_GT(accepted, 100);
}

TEST(BuiltinSets, WindowsContentAndRoundTrip) {
  struct Case {
    int which;
    std::int32_t left, top, width, height;
  };
  const Case cases[] = {
      {kSetEmpty, 200, 320, 874, 392}, {kSet1, 176, 117, 405, 236}, {kSet2, 0, 0, 0, 0}, {kSet3, 0, 0, 0, 0}};
  const CParameterCatalogue catalogue;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.which);
    const MonitorSet set = BuiltinMonitorSet(c.which);
    if (c.width != 0) {
      EXPECT_EQ(set.left, c.left);
      EXPECT_EQ(set.top, c.top);
      EXPECT_EQ(set.width, c.width);
      EXPECT_EQ(set.height, c.height);
    }
    EXPECT_EQ(set.origWidth, 0);  // the client area decides
    EXPECT_EQ(set.records.empty(), c.which == kSetEmpty);
    for (const CemRecord& r : set.records) {
      if (r.kind == 2 || r.kind == 4 || r.kind == 8) {
        EXPECT_EQ(catalogue.GetDef(r.id).id, r.id);
      }
      EXPECT_GT(r.Width, 0);
      EXPECT_GT(r.Height, 0);
    }
    const CemParse parse = ParseMonitorSet(WriteMonitorSet(set));
    EXPECT_EQ(parse.result, 0);
    EXPECT_EQ(parse.set, set);
  }
  EXPECT_EQ(BuiltinMonitorSet(7), BuiltinMonitorSet(kSetEmpty));
}

// Set3's headings are in the language the set is chosen in; "[km/h]" reads
// the same in every language.
TEST(BuiltinSets, HeadingsInTheCurrentLanguage) {
  const auto texts = [](int which, int language) {
    std::vector<std::string> out;
    for (const CemRecord& r : BuiltinMonitorSet(which, language).records)
      if (r.kind == kCemText) out.push_back(CemTextToUtf8(r.text));
    return out;
  };
  EXPECT_EQ(texts(kSet3, kEnglish), (std::vector<std::string>{"Injection A [ms]", "Injection B [ms]", "Advance [°]"}));
  EXPECT_EQ(texts(kSet3, kCzech), (std::vector<std::string>{"Vstřik A [ms]", "Vstřik B [ms]", "Předstih [°]"}));
  EXPECT_EQ(texts(kSet3, kGerman),
            (std::vector<std::string>{"Einspritzung A [ms]", "Einspritzung B [ms]", "Vorzündung [°]"}));
  EXPECT_EQ(texts(kSet1, kCzech), (std::vector<std::string>{"[km/h]"}));
}

TEST(BuiltinSets, Set1CarriesTheLogoAsA24BitBitmap) {
  const MonitorSet set = BuiltinMonitorSet(kSet1);
  int pictures = 0;
  for (const CemRecord& r : set.records) {
    if (r.kind != 0) continue;
    ++pictures;
    const std::string b(r.picture.begin(), r.picture.end());
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<std::size_t>(IntAt(b, 2)), b.size());
    EXPECT_EQ(IntAt(b, 10), 54);
    const std::int32_t w = IntAt(b, 18), h = IntAt(b, 22);
    EXPECT_EQ(IntAt(b, 28) & 0xFFFF, 24);
    EXPECT_EQ(b.size(), 54u + static_cast<std::size_t>((w * 3 + 3) / 4 * 4 * h));
  }
  EXPECT_EQ(pictures, 1);
}

}  // namespace
