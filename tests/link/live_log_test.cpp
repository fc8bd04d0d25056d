#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/LiveDisplay.h"
#include "link/LiveLog.h"
#include "link/LiveLogCsv.h"
#include "shell/Lang.h"
#include "support/LiveFrames.h"
#include "support/MemoryLogSink.h"

namespace {

using testsupport::MemoryLogSink;
using testsupport::PutWord;

// Restated on purpose: a change of the layout breaks every log already out there.
constexpr std::size_t kFrameRecord = 1 + 4 + 8 + 152;
constexpr std::size_t kImageRecord = 1 + 4 + 8 + 2850;

Frame Sealed(Frame f) {
  SealFrame(f);
  return f;
}

Frame RpmFrame(int rpm) {
  Frame f = testsupport::QuietFrame();
  PutWord(f, 48, rpm);
  return Sealed(f);
}

LiveLogHeader SampleHeader() {
  LiveLogHeader h;
  h.programVersion = "ventrix 0.1.0";
  h.unitText = "Unit = Ventrix 2007";
  h.unitDate = "Date = 10.12.2026";
  h.unitTime = "20:15";
  h.bootLine = "Boot = 3";
  h.unitIdentity[0] = 0x11;
  h.unitIdentity[149] = 0x22;
  h.startUnixMicros = 1'765'400'000'123'456;
  h.image[0] = 7;
  h.image[2849] = 9;
  return h;
}

// Header, frames at 0, 0.33 and 0.66 s, an image change at 0.5 s between the
// second and the third.
std::string SampleLog(ConfigImage* changed = nullptr) {
  std::string out;
  AppendLiveLogHeader(out, SampleHeader());
  AppendFrameRecord(out, 0, RpmFrame(1000));
  AppendFrameRecord(out, 330'000, RpmFrame(2000));
  ConfigImage image = SampleHeader().image;
  image[100] = 42;
  AppendImageRecord(out, 500'000, image);
  AppendFrameRecord(out, 660'000, RpmFrame(3000));
  if (changed) *changed = image;
  return out;
}

TEST(LiveLogTest, RoundTripKeepsHeaderFramesAndImageChanges) {
  ConfigImage changed{};
  const std::string bytes = SampleLog(&changed);
  // Magic, version 1, then whole records behind the header.
  ASSERT_EQ(bytes.substr(0, 10), std::string("VXLOG\r\n\x1a\x01\x00", 10));
  const std::size_t headerSize = bytes.size() - 3 * kFrameRecord - kImageRecord;

  const LiveLogContents log = ReadLiveLog(bytes);
  EXPECT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
  EXPECT_EQ(log.stopOffset, bytes.size());
  const LiveLogHeader want = SampleHeader();
  EXPECT_EQ(log.header.programVersion, want.programVersion);
  EXPECT_EQ(log.header.unitText, want.unitText);
  EXPECT_EQ(log.header.unitDate, want.unitDate);
  EXPECT_EQ(log.header.unitTime, want.unitTime);
  EXPECT_EQ(log.header.bootLine, want.bootLine);
  EXPECT_EQ(log.header.unitIdentity, want.unitIdentity);
  EXPECT_EQ(log.header.startUnixMicros, want.startUnixMicros);
  EXPECT_EQ(log.header.image, want.image);

  ASSERT_EQ(log.frames.size(), 3u);
  EXPECT_EQ(log.frames[1].micros, 330'000u);
  EXPECT_EQ(log.frames[2].bytes, RpmFrame(3000));
  ASSERT_EQ(log.imageChanges.size(), 1u);
  EXPECT_EQ(log.imageChanges[0].micros, 500'000u);
  EXPECT_EQ(log.imageChanges[0].firstFrame, 2u);
  EXPECT_GT(headerSize, 2850u + 150u);

  // What playback and the chart ask: the image in force, the frame at a time.
  EXPECT_EQ(log.ImageAtFrame(1), want.image);
  EXPECT_EQ(log.ImageAtFrame(2), changed);
  EXPECT_EQ(log.ImageAt(499'999), want.image);
  EXPECT_EQ(log.ImageAt(500'000), changed);
  EXPECT_EQ(log.FrameAt(0), 0u);
  EXPECT_EQ(log.FrameAt(329'999), 0u);
  EXPECT_EQ(log.FrameAt(330'000), 1u);
  EXPECT_EQ(log.FrameAt(9'000'000), 2u);
  EXPECT_EQ(log.DurationMicros(), 660'000u);
}

TEST(LiveLogTest, EveryCutOfTheLastRecordKeepsTheWholeRecords) {
  struct Case {
    const char* last;
    std::size_t size;
    std::function<void(std::string&)> append;
    std::size_t framesBefore;
  };
  const Case cases[] = {
      {"frame", kFrameRecord, [](std::string& s) { AppendFrameRecord(s, 900'000, RpmFrame(4000)); }, 3},
      {"image", kImageRecord, [](std::string& s) { AppendImageRecord(s, 900'000, ConfigImage{}); }, 3},
  };
  for (const auto& c : cases) {
    const std::string whole = SampleLog();
    std::string full = whole;
    c.append(full);
    ASSERT_EQ(full.size(), whole.size() + c.size);
    for (std::size_t cut = whole.size(); cut < full.size(); ++cut) {
      const LiveLogContents log = ReadLiveLog(std::string_view(full).substr(0, cut));
      SCOPED_TRACE(std::string(c.last) + " cut at " + std::to_string(cut));
      EXPECT_EQ(log.stop, cut == whole.size() ? LiveLogStop::kEnd : LiveLogStop::kTruncated);
      EXPECT_TRUE(log.Complete());
      EXPECT_EQ(log.stopOffset, whole.size());
      EXPECT_EQ(log.frames.size(), c.framesBefore);
      EXPECT_EQ(log.imageChanges.size(), 1u);
    }
  }
}

TEST(LiveLogTest, DamagedFilesStopWithAReason) {
  const std::string good = SampleLog();
  const std::size_t firstRecord = good.size() - 3 * kFrameRecord - kImageRecord;
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    LiveLogStop stop;
    std::size_t frames;
    const char* message;
  };
  const Case cases[] = {
      {"empty", [](std::string& s) { s.clear(); }, LiveLogStop::kBadHeader, 0, "Not a Ventrix"},
      {"text file", [](std::string& s) { s = "[Ventrix]\nBike=3\n"; }, LiveLogStop::kBadHeader, 0, "Not a Ventrix"},
      {"magic only", [](std::string& s) { s.resize(8); }, LiveLogStop::kBadHeader, 0, "cut short"},
      {"cut in the header", [](std::string& s) { s.resize(400); }, LiveLogStop::kBadHeader, 0, "cut short"},
      {"version 0", [](std::string& s) { s[8] = 0; }, LiveLogStop::kBadHeader, 0, "version 0"},
      {"version 2", [](std::string& s) { s[8] = 2; }, LiveLogStop::kNewerFormat, 0, "newer"},
      {"huge header length", [](std::string& s) { s.replace(10, 4, "\xff\xff\xff\xff"); }, LiveLogStop::kBadHeader, 0,
       "cut short"},
      {"header length too small", [](std::string& s) { s.replace(10, 4, std::string("\x10\0\0\0", 4)); },
       LiveLogStop::kBadHeader, 0, "shorter than its fields"},
      {"text length beyond the header", [](std::string& s) { s.replace(14, 2, "\xff\xff"); }, LiveLogStop::kBadHeader,
       0, "shorter than its fields"},
      {"huge record length", [&](std::string& s) { s.replace(firstRecord + 1, 4, "\xff\xff\xff\x7f"); },
       LiveLogStop::kBadRecord, 0, "length"},
      {"unknown record type", [&](std::string& s) { s[firstRecord + kFrameRecord] = 9; }, LiveLogStop::kBadRecord, 1,
       "Unknown record type 9"},
      {"bad check byte", [&](std::string& s) { s[firstRecord + kFrameRecord + 13 + 48] ^= 1; }, LiveLogStop::kBadRecord,
       1, "not a valid live-data frame"},
      // The last frame at 0x00_1220 us, before the image change at 500000 us.
      {"time goes back", [&](std::string& s) { s[firstRecord + 2 * kFrameRecord + kImageRecord + 5 + 2] = 0; },
       LiveLogStop::kBadRecord, 2, "time goes back"},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    const LiveLogContents log = ReadLiveLog(bytes);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(log.stop, c.stop);
    EXPECT_FALSE(log.Complete());
    EXPECT_EQ(log.frames.size(), c.frames);
    EXPECT_NE(log.message.find(c.message), std::string::npos) << log.message;
  }
}

// ---------------------------------------------------------------------------
// Writer

TEST(LiveLogWriterTest, RecordsGoOutOnceASecond) {
  MemoryLogSink sink;
  CLiveLogWriter writer;
  ASSERT_TRUE(writer.Begin(sink, SampleHeader()));
  // The header at once, so even an empty recording is a readable log.
  const std::size_t headerSize = sink.bytes.size();
  EXPECT_EQ(sink.writes, 1);
  EXPECT_TRUE(ReadLiveLog(sink.bytes).HeaderOk());

  const Frame f = RpmFrame(1500);
  for (std::uint64_t t = 0; t < 1'000'000; t += 330'000) {
    writer.AddFrame(t, f);
    writer.MaybeFlush(t);
  }
  EXPECT_EQ(sink.bytes.size(), headerSize);
  EXPECT_EQ(writer.Size(), headerSize + 4 * kFrameRecord);
  writer.MaybeFlush(1'000'000);
  EXPECT_EQ(sink.bytes.size(), headerSize + 4 * kFrameRecord);
  EXPECT_EQ(sink.syncs, 2);
  EXPECT_EQ(ReadLiveLog(sink.bytes).frames.size(), 4u);
}

TEST(LiveLogWriterTest, AFullDiskKeepsWholeRecordsAndStopsTheWriter) {
  MemoryLogSink probe;
  CLiveLogWriter sizing;
  sizing.Begin(probe, SampleHeader());
  const std::size_t header = probe.bytes.size();

  struct Case {
    const char* name;
    std::size_t capacity;
    bool begins;
    std::size_t framesKept;
  };
  const Case cases[] = {
      {"full before the header", header - 1, false, 0},
      {"room for two frames and a half", header + 2 * kFrameRecord + 80, true, 2},
      {"room for exactly three frames", header + 3 * kFrameRecord, true, 3},
      {"cut in the image record", header + 3 * kFrameRecord + 100, true, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryLogSink sink;
    sink.capacity = c.capacity;
    CLiveLogWriter writer;
    EXPECT_EQ(writer.Begin(sink, SampleHeader()), c.begins);
    for (int i = 0; i < 3; ++i) writer.AddFrame(std::uint64_t(i) * 100, RpmFrame(1000 + i));
    writer.AddImage(300, ConfigImage{});
    writer.AddFrame(400, RpmFrame(5000));
    EXPECT_FALSE(writer.Flush());
    EXPECT_TRUE(writer.Failed());
    EXPECT_NE(writer.Error().find("No space left"), std::string::npos);
    EXPECT_EQ(writer.Size(), sink.bytes.size());

    // A dead writer keeps nothing more.
    writer.AddFrame(500, RpmFrame(6000));
    EXPECT_FALSE(writer.Flush());

    if (!c.begins) {
      EXPECT_TRUE(sink.bytes.empty());
      continue;
    }
    const LiveLogContents log = ReadLiveLog(sink.bytes);
    EXPECT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
    EXPECT_EQ(log.frames.size(), c.framesKept);
  }
}

TEST(LiveLogWriterTest, AWriteThatFailsOnTheDiskIsReported) {
  std::string error;
  auto sink = OpenLiveLogFile("/dev/full", error);
  ASSERT_NE(sink, nullptr) << error;
  CLiveLogWriter writer;
  EXPECT_FALSE(writer.Begin(*sink, SampleHeader()));
  EXPECT_EQ(writer.Error(), "/dev/full: No space left on device");

  EXPECT_EQ(OpenLiveLogFile("/nonexistent-folder/x.vxlog", error), nullptr);
  EXPECT_EQ(error, "/nonexistent-folder/x.vxlog: No such file or directory");
}

// ---------------------------------------------------------------------------
// CSV

// Splits a CSV line, quoted fields included.
std::vector<std::string> CsvFields(std::string_view line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      out.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

std::vector<std::vector<std::string>> CsvLines(const std::string& csv) {
  std::vector<std::vector<std::string>> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = csv.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(CsvFields(std::string_view(csv).substr(start, end - start)));
  return lines;
}

// The number a Monitor label shows after its "=".
double LabelNumber(const LiveDisplay& display, const char* label) {
  const LiveLabelState* l = display.Label(label);
  if (l == nullptr || !l->text) return -9999;
  const std::string& text = *l->text;
  return std::strtod(text.c_str() + text.find('=') + 1, nullptr);
}

TEST(LiveLogCsvTest, ARowShowsTheValuesTheMonitorPageShows) {
  Frame f = testsupport::QuietFrame(12600);
  f[10] = static_cast<std::uint8_t>(-5);  // advance of cylinder 1, signed
  f[11] = 20;
  f[14] = 25;  // injection 1A: 2500 us
  f[15] = 30;
  f[23] = 185;  // coolant 85 C
  f[24] = 122;  // air 22 C
  f[25] = 3;
  f[29] = 147;         // AFR 14.7
  PutWord(f, 46, 35);  // dwell 3.5 ms
  PutWord(f, 48, 6000);
  PutWord(f, 52, 987);  // AP 98.7 kPa
  PutWord(f, 100, 1234);
  PutWord(f, 108, 1012);  // U correction 12 us
  PutWord(f, 110, 955);   // TW advance correction -4.5 degrees
  PutWord(f, 112, 1003);
  PutWord(f, 116, 87);
  PutWord(f, 120, 75);
  PutWord(f, 134, 1020);  // idle correction 2.0 degrees
  PutWord(f, 136, 65);
  PutWord(f, 138, 456);  // throttle 45.6 %
  PutWord(f, 140, 7);
  PutWord(f, 144, 333);
  SealFrame(f);

  LiveLogContents log;
  log.header.image[256] = 2;  // two cylinders
  log.frames.push_back({1'234'567, f});
  const auto lines = CsvLines(ExportLiveLogCsv(log, kEnglish));
  ASSERT_EQ(lines.size(), 2u);
  const auto& names = lines[0];
  const auto& row = lines[1];
  ASSERT_EQ(names.size(), row.size());
  auto cell = [&](const std::string& name) -> std::string {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return row[i];
    ADD_FAILURE() << "no column " << name;
    return {};
  };
  EXPECT_EQ(names[0], "Time [s]");
  EXPECT_EQ(row[0], "1.234");

  CLiveValues live;
  DecodeLiveFrame(f, live);
  CTextSlots slots;
  slots.Apply(kEnglish);
  const LiveDisplay display = BuildLiveDisplay({live, log.header.image, slots});
  const struct {
    const char* column;
    const char* label;
  } pairs[] = {
      {"Advance 1 [°]", "LabelMon_Ign1"},
      {"Advance 2 [°]", "LabelMon_Ign2"},
      {"Advance [°]", "LabelMon_Ign"},
      {"Injection time 1A [us]", "LabelMon_Jet_1A"},
      {"Injection time A [us]", "LabelMon_Jet_A"},
      {"Injection time B [us]", "LabelMon_Jet_B"},
      {"Max injection [%]", "LabelMaxInjProcent"},
      {"Coolant [°C]", "LabelVoda"},
      {"AT [°C]", "LabelVzduch"},
      {"Gear", "LabelGear"},
      {"Dwell [ms]", "LabelDwellMer"},
      {"RPM", "LabelRpm"},
      {"AP [kPa]", "LabelTlak"},
      {"IAP [kPa]", "LabelPodtlak"},
      {"TP [%]", "LabelTpsMon"},
      {"LAMBDA [AFR]", "LabelLambda"},
      {"U [V]", "LabelNapeti"},
      {"TW correction [%]", "LabelKorVodaJet"},
      {"U correction [us]", "LabelKorNapeti"},
      {"TW correction [°]", "LabelKorVodaIgn"},
      {"Potent. correction [°]", "LabelKorPotencIgn"},
      {"Speed [km/h]", "LabelMonSpeed"},
      {"Rpm/Speed", "LabelMonPomerRpmSpeed"},
      {"Idle correction [°]", "LabelIdleKorAdv"},
      {"Acc. corr [%]", "LabelKorAccJet"},
      {"Gas hnadle [%]", "LabelGasMon"},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(p.column);
    EXPECT_NEAR(std::strtod(cell(p.column).c_str(), nullptr), LabelNumber(display, p.label), 0.05);
  }
  // Values worked out by hand, so a scale lost on both sides still shows.
  EXPECT_EQ(cell("Advance 1 [°]"), "-5");
  EXPECT_EQ(cell("Max injection [%]"), "15");
  EXPECT_EQ(cell("TW correction [°]"), "-4.5");
  EXPECT_EQ(cell("U [V]"), "12.600");
  EXPECT_EQ(cell("Tacho/Lambda output"), "0");  // flag 2.1 clear: lambda
}

TEST(LiveLogCsvTest, HeaderFollowsTheLanguageAndErrorsAreEmptyCells) {
  Frame f = testsupport::QuietFrame();
  f[4] = 0x01 | 0x02;  // throttle and intake pressure sensor errors
  f[23] = 0;           // coolant sensor error
  SealFrame(f);
  LiveLogContents log;
  log.frames.push_back({0, f});

  const auto english = CsvLines(ExportLiveLogCsv(log, kEnglish));
  const auto czech = CsvLines(ExportLiveLogCsv(log, kCzech));
  ASSERT_EQ(czech[0].size(), english[0].size());
  EXPECT_EQ(czech[0][0], "Čas [s]");
  EXPECT_NE(std::find(czech[0].begin(), czech[0].end(), "Předstih 1 [°]"), czech[0].end());
  // A name with a comma in it stays one column.
  EXPECT_NE(std::find(english[0].begin(), english[0].end(), "Tacho/AFR, autotunning input"), english[0].end());
  for (const char* name : {"Coolant [°C]", "IAP [kPa]", "TP [%]"}) {
    const auto at = std::find(english[0].begin(), english[0].end(), name);
    ASSERT_NE(at, english[0].end()) << name;
    EXPECT_EQ(english[1][std::size_t(at - english[0].begin())], "") << name;
  }
}

}  // namespace
