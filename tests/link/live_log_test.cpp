#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "link/LiveDisplay.h"
#include "link/LiveLog.h"
#include "link/LiveLogCsv.h"
#include "base/Lang.h"
#include "support/LiveFrames.h"
#include "support/MemoryLogSink.h"

namespace {

using testsupport::MemoryLogSink;
using testsupport::PutWord;

// Restated on purpose: a change of the layout breaks every log already out
// there. Version 1: type, length, payload; version 2: sync bytes, type,
// length, payload, CRC-32.
constexpr std::size_t kFrameRecordV1 = 1 + 4 + 8 + 152;
constexpr std::size_t kImageRecordV1 = 1 + 4 + 8 + 2850;
constexpr std::size_t kFrameRecord = 2 + 1 + 4 + 8 + 152 + 4;
constexpr std::size_t kImageRecord = 2 + 1 + 4 + 8 + 2850 + 4;

std::size_t FrameRecord(int version) { return version == 1 ? kFrameRecordV1 : kFrameRecord; }
std::size_t ImageRecord(int version) { return version == 1 ? kImageRecordV1 : kImageRecord; }

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
std::string SampleLog(ConfigImage* changed = nullptr, int version = kLiveLogFormatVersion) {
  std::string out;
  AppendLiveLogHeader(out, SampleHeader(), version);
  AppendFrameRecord(out, 0, RpmFrame(1000), version);
  AppendFrameRecord(out, 330'000, RpmFrame(2000), version);
  ConfigImage image = SampleHeader().image;
  image[100] = 42;
  AppendImageRecord(out, 500'000, image, version);
  AppendFrameRecord(out, 660'000, RpmFrame(3000), version);
  if (changed) *changed = image;
  return out;
}

TEST(LiveLogTest, RoundTripKeepsHeaderFramesAndImageChanges) {
  ConfigImage changed{};
  const std::string bytes = SampleLog(&changed);
  // Magic, version 2, then whole records behind the header, each behind its sync bytes.
  ASSERT_EQ(bytes.substr(0, 10), std::string("VXLOG\r\n\x1a\x02\x00", 10));
  const std::size_t headerSize = bytes.size() - 3 * kFrameRecord - kImageRecord;
  EXPECT_EQ(bytes.substr(headerSize, 3), "\xE7\x1C\x01");

  const LiveLogContents log = ReadLiveLog(bytes);
  EXPECT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
  EXPECT_FALSE(log.Damaged());
  EXPECT_EQ(log.message, "");
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
    int version;
    std::function<void(std::string&)> append;
  };
  const Case cases[] = {
      {"frame", 2, [](std::string& s) { AppendFrameRecord(s, 900'000, RpmFrame(4000)); }},
      {"image", 2, [](std::string& s) { AppendImageRecord(s, 900'000, ConfigImage{}); }},
      {"version 1 frame", 1, [](std::string& s) { AppendFrameRecord(s, 900'000, RpmFrame(4000), 1); }},
      {"version 1 image", 1, [](std::string& s) { AppendImageRecord(s, 900'000, ConfigImage{}, 1); }},
  };
  for (const auto& c : cases) {
    const std::string whole = SampleLog(nullptr, c.version);
    std::string full = whole;
    c.append(full);
    ASSERT_TRUE(full.size() == whole.size() + FrameRecord(c.version) ||
                full.size() == whole.size() + ImageRecord(c.version));
    for (std::size_t cut = whole.size(); cut < full.size(); ++cut) {
      const LiveLogContents log = ReadLiveLog(std::string_view(full).substr(0, cut));
      SCOPED_TRACE(std::string(c.last) + " cut at " + std::to_string(cut));
      EXPECT_EQ(log.stop, cut == whole.size() ? LiveLogStop::kEnd : LiveLogStop::kTruncated);
      EXPECT_TRUE(log.Complete());
      EXPECT_FALSE(log.Damaged()) << "a cut is what a crash leaves, not damage";
      EXPECT_EQ(log.stopOffset, whole.size());
      EXPECT_EQ(log.frames.size(), 3u);
      EXPECT_EQ(log.imageChanges.size(), 1u);
    }
  }
}

TEST(LiveLogTest, AnUnreadableHeaderStopsWithAReason) {
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    LiveLogStop stop;
    const char* message;
  };
  const Case cases[] = {
      {"empty", [](std::string& s) { s.clear(); }, LiveLogStop::kBadHeader, "Not a Ventrix"},
      {"text file", [](std::string& s) { s = "[Ventrix]\nBike=3\n"; }, LiveLogStop::kBadHeader, "Not a Ventrix"},
      {"magic only", [](std::string& s) { s.resize(8); }, LiveLogStop::kBadHeader, "cut short"},
      {"cut in the header", [](std::string& s) { s.resize(400); }, LiveLogStop::kBadHeader, "cut short"},
      {"version 0", [](std::string& s) { s[8] = 0; }, LiveLogStop::kBadHeader, "version 0 does not exist at byte 8"},
      {"version 3", [](std::string& s) { s[8] = 3; }, LiveLogStop::kNewerFormat,
       "version 3 is newer than this program reads (2)"},
      {"huge header length", [](std::string& s) { s.replace(10, 4, "\xff\xff\xff\xff"); }, LiveLogStop::kBadHeader,
       "cut short"},
      {"header length too small", [](std::string& s) { s.replace(10, 4, std::string("\x10\0\0\0", 4)); },
       LiveLogStop::kBadHeader, "shorter than its fields"},
      {"text length beyond the header", [](std::string& s) { s.replace(14, 2, "\xff\xff"); }, LiveLogStop::kBadHeader,
       "shorter than its fields"},
  };
  for (const int version : {1, 2}) {
    for (const auto& c : cases) {
      std::string bytes = SampleLog(nullptr, version);
      c.damage(bytes);
      const LiveLogContents log = ReadLiveLog(bytes);
      SCOPED_TRACE(std::string(c.name) + ", version " + std::to_string(version));
      EXPECT_EQ(log.stop, c.stop);
      EXPECT_FALSE(log.HeaderOk());
      EXPECT_TRUE(log.frames.empty());
      EXPECT_NE(log.message.find(c.message), std::string::npos) << log.message;
    }
  }
  // The tuner reads the reason in the language of the window.
  std::string newer = SampleLog();
  newer[8] = 3;
  const LiveLogContents log = ReadLiveLog(newer);
  EXPECT_EQ(LiveLogMessage(log, kGerman),
            "Die Protokollformat-Version 3 ist neuer, als dieses Programm lesen kann (2)");
  EXPECT_EQ(LiveLogMessage(log, kCzech), "Verze formátu záznamu 3 je novější, než jakou tento program umí číst (2)");
  EXPECT_EQ(LiveLogMessage(ReadLiveLog(std::string("hello")), kFrench), "Ce n'est pas un journal Ventrix");
}

// One record spoilt in every way it can be: the reader skips that record,
// reads every other one and says how many it skipped. Old logs get the
// same, as far as their records can be checked.
TEST(LiveLogTest, ADamagedRecordIsSkippedAndCounted) {
  struct Case {
    const char* name;
    int version;
    std::size_t record;  // 0..3: frame, frame, image, frame
    std::size_t offset;  // within the record
    std::uint8_t value;  // put there
    std::size_t frames, images;
  };
  // Version 2 offsets: sync 0..1, type 2, length 3..6, time 7..14, data 15.., CRC at the end.
  const Case cases[] = {
      {"a bit in a frame's data", 2, 1, 15 + 48, 0x00, 2, 1},
      {"a sync byte", 2, 1, 1, 0x00, 2, 1},
      {"the type", 2, 0, 2, 9, 2, 1},
      {"a huge length", 2, 0, 6, 0x7F, 2, 1},
      {"the time", 2, 3, 7, 0xFF, 2, 1},
      {"the CRC", 2, 3, kFrameRecord - 1, 0x00, 2, 1},
      {"the image", 2, 2, 15 + 100, 0x00, 3, 0},
      // Version 1: type 0, length 1..4, time 5..12, data 13..
      {"version 1, a frame's check byte", 1, 1, 13 + 48, 0x00, 2, 1},
      {"version 1, the type", 1, 1, 0, 9, 2, 1},
      {"version 1, a huge length", 1, 0, 4, 0x7F, 2, 1},
      // The last frame at 0x00_1220 us, before the image change at 500000 us.
      {"version 1, time going back", 1, 3, 5 + 2, 0x00, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = SampleLog(nullptr, c.version);
    const std::size_t frame = FrameRecord(c.version);
    const std::size_t sizes[] = {frame, frame, ImageRecord(c.version), frame};
    std::size_t at = bytes.size() - 3 * frame - ImageRecord(c.version);
    for (std::size_t r = 0; r < c.record; ++r) at += sizes[r];
    ASSERT_NE(std::uint8_t(bytes[at + c.offset]), c.value);
    bytes[at + c.offset] = char(c.value);

    const LiveLogContents log = ReadLiveLog(bytes);
    EXPECT_EQ(log.stop, LiveLogStop::kEnd);
    EXPECT_TRUE(log.Complete());
    EXPECT_EQ(log.damagedRecords, 1u);
    EXPECT_EQ(log.frames.size(), c.frames);
    EXPECT_EQ(log.imageChanges.size(), c.images);
    EXPECT_EQ(log.message, "1 records damaged, skipped");
    EXPECT_EQ(LiveLogMessage(log, kGerman), "1 Datensätze beschädigt, übersprungen");
    // Whatever was kept is in order and a frame the unit sent.
    for (const LiveLogFrame& f : log.frames) EXPECT_TRUE(FrameIsValid(f.bytes));
  }
}

TEST(LiveLogTest, ADamagedHeaderIsUsedAndReported) {
  std::string bytes = SampleLog();
  bytes[2000] ^= 0x10;  // inside the start image
  const LiveLogContents log = ReadLiveLog(bytes);
  EXPECT_TRUE(log.HeaderOk());
  EXPECT_TRUE(log.headerDamaged);
  EXPECT_EQ(log.frames.size(), 3u);
  EXPECT_EQ(log.message, "Log header damaged: the settings recorded at the start may be wrong");
  EXPECT_EQ(LiveLogMessage(log, kCzech),
            "Hlavička záznamu je poškozená: nastavení zaznamenané na začátku může být chybné");
}

// A ride of 74 s at the idle link's three frames a second, with a change of
// the settings half way.
struct Ride {
  std::string bytes;
  std::vector<std::size_t> starts;  // where each record begins
  std::vector<std::uint64_t> micros;
  std::vector<bool> isFrame;
};

Ride SampleRide() {
  Ride ride;
  AppendLiveLogHeader(ride.bytes, SampleHeader());
  ConfigImage image = SampleHeader().image;
  for (std::uint64_t t = 0; t <= 74'000'000; t += 330'000) {
    if (t == 36'960'000) {
      image[300] = 5;
      ride.starts.push_back(ride.bytes.size());
      ride.micros.push_back(t);
      ride.isFrame.push_back(false);
      AppendImageRecord(ride.bytes, t, image);
    }
    ride.starts.push_back(ride.bytes.size());
    ride.micros.push_back(t);
    ride.isFrame.push_back(true);
    AppendFrameRecord(ride.bytes, t, RpmFrame(1000 + int(t / 100'000)));
  }
  return ride;
}

// Reads `bytes`, spoilt at `hits`, and checks that exactly the records
// without a hit come back and that the hit ones are counted.
void ExpectEveryUndamagedRecord(const Ride& ride, const std::string& bytes, const std::set<std::size_t>& hits) {
  std::set<std::size_t> damaged;
  for (const std::size_t at : hits) {
    const auto next = std::upper_bound(ride.starts.begin(), ride.starts.end(), at);
    ASSERT_NE(next, ride.starts.begin()) << "a hit in the header";
    damaged.insert(std::size_t(next - ride.starts.begin() - 1));
  }
  std::vector<std::uint64_t> frames, images;
  for (std::size_t r = 0; r < ride.starts.size(); ++r)
    if (!damaged.count(r)) (ride.isFrame[r] ? frames : images).push_back(ride.micros[r]);

  const LiveLogContents log = ReadLiveLog(bytes);
  EXPECT_EQ(log.stop, LiveLogStop::kEnd);
  EXPECT_EQ(log.damagedRecords, damaged.size());
  EXPECT_EQ(log.message, std::to_string(damaged.size()) + " records damaged, skipped");
  std::vector<std::uint64_t> readFrames, readImages;
  for (const auto& f : log.frames) readFrames.push_back(f.micros);
  for (const auto& i : log.imageChanges) readImages.push_back(i.micros);
  EXPECT_EQ(readFrames, frames);
  EXPECT_EQ(readImages, images);
  // The CSV has a row for every frame kept, to the end of the ride.
  const std::string csv = ExportLiveLogCsv(log, kEnglish);
  EXPECT_EQ(std::size_t(std::count(csv.begin(), csv.end(), '\n')), frames.size() + 1);
  EXPECT_EQ(log.DurationMicros(), frames.back());
}

TEST(LiveLogTest, OneFlippedBitAtAFifthOfTheRideCostsOneFrame) {
  const Ride ride = SampleRide();
  ASSERT_EQ(ride.micros.size(), 226u);
  std::string bytes = ride.bytes;
  const std::size_t at = bytes.size() / 5;
  bytes[at] ^= 0x04;
  ExpectEveryUndamagedRecord(ride, bytes, {at});
  EXPECT_EQ(ReadLiveLog(bytes).DurationMicros(), 73'920'000u) << "played and exported to the end";
}

TEST(LiveLogTest, FiftyFlippedBytesCostOnlyTheirRecords) {
  const Ride ride = SampleRide();
  const std::size_t firstRecord = ride.starts.front();
  for (const unsigned seed : {1u, 2u, 3u, 2026u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> where(firstRecord, ride.bytes.size() - 1);
    std::uniform_int_distribution<int> flip(1, 255);
    std::set<std::size_t> hits;
    while (hits.size() < 50) hits.insert(where(random));
    std::string bytes = ride.bytes;
    for (const std::size_t at : hits) bytes[at] = char(bytes[at] ^ flip(random));
    ExpectEveryUndamagedRecord(ride, bytes, hits);
  }
}

// The fuzzer's seeds, as they were written: the old format, the new one,
// and the new one with two records spoilt.
TEST(LiveLogTest, TheSeedLogsReadAsWritten) {
  struct Case {
    const char* file;
    std::uint64_t version;
    std::size_t frames, images, damaged;
  };
  const Case cases[] = {
      {"image_change.vxlog", 1, 3, 1, 0},
      {"image_change_v2.vxlog", 2, 3, 1, 0},
      {"damaged_v2.vxlog", 2, 1, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::ifstream in(std::filesystem::path(VENTRIX_SOURCE_DIR) / "tests/fuzz/corpus/live_log_fuzz" / c.file,
                     std::ios::binary);
    ASSERT_TRUE(in);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const LiveLogContents log = ReadLiveLog(file);
    EXPECT_EQ(log.formatVersion, c.version);
    EXPECT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
    EXPECT_FALSE(log.headerDamaged);
    EXPECT_EQ(log.frames.size(), c.frames);
    EXPECT_EQ(log.imageChanges.size(), c.images);
    EXPECT_EQ(log.damagedRecords, c.damaged);
  }
}

TEST(LiveLogTest, ALogOfTheFirstFormatStillReads) {
  // As the program wrote it before records had sync bytes and a CRC.
  const std::filesystem::path path =
      std::filesystem::path(VENTRIX_SOURCE_DIR) / "tests/fuzz/corpus/live_log_fuzz/frames.vxlog";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const LiveLogContents old = ReadLiveLog(file);
  EXPECT_EQ(old.formatVersion, 1u);
  EXPECT_EQ(old.stop, LiveLogStop::kEnd) << old.message;
  EXPECT_FALSE(old.Damaged());
  EXPECT_FALSE(old.frames.empty());

  ConfigImage changed{};
  const LiveLogContents log = ReadLiveLog(SampleLog(&changed, 1));
  EXPECT_EQ(log.stop, LiveLogStop::kEnd) << log.message;
  ASSERT_EQ(log.frames.size(), 3u);
  EXPECT_EQ(log.frames[2].bytes, RpmFrame(3000));
  EXPECT_EQ(log.ImageAtFrame(2), changed);
  EXPECT_EQ(log.header.unitText, SampleHeader().unitText);
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
    double toLabel = 1;  // the chart and the CSV show times in ms, the Monitor page in us
  } pairs[] = {
      {"Advance 1 [°]", "LabelMon_Ign1"},
      {"Advance 2 [°]", "LabelMon_Ign2"},
      {"Advance [°]", "LabelMon_Ign"},
      {"Injection time 1A [ms]", "LabelMon_Jet_1A", 1000},
      {"Injection time A [ms]", "LabelMon_Jet_A", 1000},
      {"Injection time B [ms]", "LabelMon_Jet_B", 1000},
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
      {"U correction [ms]", "LabelKorNapeti", 1000},
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
    EXPECT_NEAR(std::strtod(cell(p.column).c_str(), nullptr) * p.toLabel, LabelNumber(display, p.label), 0.05);
  }
  // Values worked out by hand, so a scale lost on both sides still shows.
  EXPECT_EQ(cell("Advance 1 [°]"), "-5");
  EXPECT_EQ(cell("Max injection [%]"), "15");
  EXPECT_EQ(cell("TW correction [°]"), "-4.5");
  EXPECT_EQ(cell("U [V]"), "12.600");
  // One unit per value, as the monitor window has it: injection times in ms.
  EXPECT_EQ(cell("Injection time 1A [ms]"), "2.5");
  EXPECT_EQ(cell("Injection time A [ms]"), "2.750");
  EXPECT_EQ(cell("U correction [ms]"), "0.012");
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
