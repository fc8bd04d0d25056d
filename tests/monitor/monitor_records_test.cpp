#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/Colours.h"
#include "monitor/MonitorComponents.h"
#include "monitor/MonitorRecords.h"
#include "monitor/MonitorSetFile.h"
#include "link/ParameterCatalogue.h"

namespace {

// A 2 x 3 24-bit BMP header is enough for the size; the bytes travel as they are.
std::vector<std::uint8_t> TinyBmp() {
  std::vector<std::uint8_t> b(54 + 24, 0);
  b[0] = 'B';
  b[1] = 'M';
  b[2] = std::uint8_t(b.size());
  b[10] = 54;
  b[14] = 40;
  b[18] = 2;
  b[22] = 0xFD;  // -3: top-down
  b[23] = b[24] = b[25] = 0xFF;
  b[26] = 1;
  b[28] = 24;
  b[60] = 0x5A;
  return b;
}

TEST(MonitorRecords, LabelWithUnitsInRedAsStored) {
  CParameterCatalogue catalogue;
  CMyLabel label;
  label.SetParameter(catalogue, 1160);
  label.Left = 12;
  label.Top = 34;
  label.Width = 90;
  label.Height = 16;
  label.TextColor = clRed;
  label.Color = clBtnFace;
  label.AlignV = -1;
  label.ow = 90;
  label.oh = 16;
  const CemRecord r = RecordFromElement(label);

  // The stored integers restated: kind 2, units 1, mark colour 0 ...
  const std::int32_t expected[] = {2,    1,  0, 12, 34, 90, 16, 1, -16777201, 0xFFFFFF, 0xC0C0C0, 0,
                                   0xFF, -1, 0, 1,  0,  90, 16, 4, 12,        1000,     1000,     1160};
  const std::int32_t actual[] = {r.kind,    r.number,  r.ColorMk, r.Left, r.Top,       r.Width,  r.Height, r.focusable,
                                 r.Color,   r.ltframe, r.dkframe, r.Down, r.TextColor, r.AlignV, r.AlignH, r.rszable,
                                 r.nprable, r.ow,      r.oh,      r.minw, r.minh,      r.maxw,   r.maxh,   r.id};
  ASSERT_EQ(std::size(expected), std::size(actual));
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(actual[i], expected[i]) << "field " << i;
}

TEST(MonitorRecords, EveryKindComesBackAsItWent) {
  CParameterCatalogue catalogue;
  CMyGroup place;
  auto text = std::make_unique<CMyText>();
  text->SetStr("Čas vstřiku");
  text->TextColor = clBlue;
  auto image = std::make_unique<CMyImage>();
  image->picture = TinyBmp();
  auto dial = std::make_unique<CMyIndicator>();
  dial->Style = kRoundDial;
  dial->ColorMk = clLime;
  auto value = std::make_unique<CMyValue>();
  value->AlignH = 1;
  auto label = std::make_unique<CMyLabel>();
  label->units = 0;
  auto second = std::make_unique<CMyText>();
  second->SetStr("B");
  CMyObj* elements[] = {place.Insert(std::move(text)),  place.Insert(std::move(image)),
                        place.Insert(std::move(dial)),  place.Insert(std::move(value)),
                        place.Insert(std::move(label)), place.Insert(std::move(second))};
  int n = 10;
  for (CMyObj* e : elements) {
    e->SetParameter(catalogue, e->kind == kKindText || e->kind == kKindPicture ? 0 : 1010);
    e->Left = n++;
    e->Top = n++;
    e->Width = n++;
    e->Height = n++;
  }

  const std::vector<CemRecord> records = RecordsFromPlace(place);
  ASSERT_EQ(records.size(), 6u);
  // Texts and pictures are numbered apart, each from 0 in container order.
  EXPECT_EQ(records[0].number, 0);
  EXPECT_EQ(records[1].number, 0);
  EXPECT_EQ(records[5].number, 1);
  EXPECT_EQ(records[2].number, 2) << "an indicator stores its style";
  EXPECT_EQ(records[3].number, 0);
  EXPECT_EQ(records[4].number, 0) << "a label stores units";
  EXPECT_EQ(records[0].text,
            "\xC8"
            "as vst\xF8iku")
      << "Windows-1250 whatever the language";
  EXPECT_EQ(records[0].ColorMk, 0) << "texts and pictures store no mark colour";
  EXPECT_EQ(records[1].picture, TinyBmp());

  CMyGroup loaded;
  PlaceFromRecords(loaded, records, catalogue);
  ASSERT_EQ(loaded.Count(), 6);
  EXPECT_EQ(RecordsFromPlace(loaded), records);
  const auto& back = static_cast<const CMyImage&>(*loaded.Item(1));
  EXPECT_EQ(back.pictureWidth, 2);
  EXPECT_EQ(back.pictureHeight, 3);
  EXPECT_EQ(static_cast<const CMyText&>(*loaded.Item(0)).text, "Čas vstřiku");
  EXPECT_EQ(static_cast<const CMyObj&>(*loaded.Item(2)).Row().id, 1010) << "bound to the catalogue";
  EXPECT_EQ(loaded.Item(2)->parent, &loaded);

  CemRecord unknown = records[3];
  unknown.kind = 3;
  EXPECT_EQ(ElementFromRecord(unknown, catalogue), nullptr);
}

}  // namespace
