#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/TextSlots.h"

namespace {

constexpr int kNoTextSlots[] = {1, 32, 34, 48, 58, 67};  // file name, unused, composed

bool IsNoTextSlot(int slot) { return std::ranges::find(kNoTextSlots, slot) != std::end(kNoTextSlots); }

TEST(TextSlotsTest, ComposedSlotsPerLanguage) {
  struct Case {
    int language;
    const char* slot34;
    const char* slot67;
  };
  const Case cases[] = {
      {kEnglish, "Error by opening file manual_ventrix_2007_en.pdf !", "Tacho/Lambda"},
      {kGerman, "Fehler beim öffnen der Datei manual_ventrix_2007_en.pdf !", "Tacho/Lambda"},
      {kFrench, "Erreur à l´ouvertur du Fichier manual_ventrix_2007_en.pdf !", "Compte-tours/Lambda"},
      {kCzech, "Chyba při otevírání souboru manual_ventrix_2007_cz.pdf !", "Otáčkoměr/Lambda"},
  };
  CTextSlots slots;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    slots.Apply(c.language);
    EXPECT_EQ(slots[34], c.slot34);
    EXPECT_EQ(slots[67], c.slot67);
    EXPECT_EQ(slots[67], slots[64] + "/" + slots[65]);
  }
}

TEST(TextSlotsTest, ApplyFollowsLanguageAndKeepsFileName) {
  struct Case {
    int slot;
    const char* texts[kLanguageCount];
  };
  const Case cases[] = {
      {0, {"  Ventrix_2007", "  Ventrix_2007", "  Ventrix_2007", "  Ventrix_2007"}},
      {2,
       {"  (Disconnected by bootloader)", "  (Disconnected by bootloader)", "  (Disconnected by bootloader)",
        "  (Dočasně odpojeno bootloaderem)"}},
      {6, {"Read error!", "Lesefehler", "Lire erreur!", "Chyba čtení!"}},
      {11, {"Read:", "Lesen:", "Lire", "Čtení:"}},
      {19, {"YES", "JA", "Oui", "ANO"}},
      {20, {"NO", "NEIN", "Non", "NE"}},
      {25,
       {"Com opening error!", "Falscher COM-Anschlußes!", "Erreur connections PC!", "Chyba při otevírání portu Com!"}},
      {26,
       {"Open file error!", "Fehler beim öffnen der Datei!", "Erreur ouvertur fichier!",
        "Chyba při otevírání souboru!"}},
      {33,
       {"Date and time of printing:  ", "Zeitpunkt des Ausdruckes   ",
        "Date et heur de l´imprimé:   ", "Datum a čas tisku:  "}},
      {42, {"Saving:", "Speicherung:", "Mémorisation", "Ukládání:"}},
      {106, {"Gas hnadle", nullptr, nullptr, nullptr}},
      {107, {"     (synchronised with ignition)", nullptr, nullptr, nullptr}},
  };
  CTextSlots slots;
  slots.SetFileName("/home/rider/maps/r1.ign");
  for (int language = 0; language < kLanguageCount; ++language) {
    slots.Apply(language);
    for (const auto& c : cases) {
      if (!c.texts[language]) continue;
      SCOPED_TRACE(testing::Message() << "slot " << c.slot << " lang " << language);
      EXPECT_EQ(slots[c.slot], c.texts[language]);
    }
    EXPECT_EQ(slots[1], "/home/rider/maps/r1.ign");
    EXPECT_EQ(slots.WindowCaption(), "  Ventrix_2007       /home/rider/maps/r1.ign");
    for (int s : {48, 58}) EXPECT_EQ(slots[s], "");
  }
}

// Every slot that holds a text has all four variants, framed like the English
// one (leading and trailing blanks, line breaks), since callers append values.
TEST(TextSlotsTest, EverySlotHasFourFramedVariants) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const CLngStr& t = kSlotTexts[static_cast<std::size_t>(slot)];
    SCOPED_TRACE(slot);
    if (IsNoTextSlot(slot)) {
      for (const char* v : t.text) EXPECT_EQ(v, nullptr);
      continue;
    }
    const std::string_view en = t.text[kEnglish] ? t.text[kEnglish] : "";
    ASSERT_FALSE(en.empty());
    for (int l = 1; l < kLanguageCount; ++l) {
      ASSERT_NE(t.text[l], nullptr) << "lang " << l;
      const std::string_view v = t.text[l];
      EXPECT_EQ(en.front() == ' ', v.front() == ' ') << "lang " << l;
      EXPECT_EQ(en.back() == ' ', v.back() == ' ') << "lang " << l;
      EXPECT_EQ(std::ranges::count(en, '\n'), std::ranges::count(v, '\n')) << "lang " << l;
    }
  }
}

TEST(TextSlotsTest, NamedSlotsTheCoreUses) {
  // The core refers to these by name; the numbers are fixed by the rest of the program.
  EXPECT_EQ(kSlotReadError, 6);
  EXPECT_EQ(kSlotSaving, 42);
  EXPECT_EQ(kSlotComOpeningError, 25);
  CTextSlots slots;
  slots.Apply(kEnglish);
  EXPECT_EQ(slots[kSlotProgramError], "Program error!");
  EXPECT_EQ(slots[kSlotVerifyError], "Verify error!");
  EXPECT_EQ(slots[kSlotUnmatchedVersion], "Unmatched version of PC and Ignition programs!");
  EXPECT_EQ(slots[kSlotUnmatchedSubversion], "Unmatched subversion of PC and Ignition programs!");
  EXPECT_EQ(slots[kSlotProgramDevice], "Program device:");
  EXPECT_EQ(slots[kSlotVerify], "Verify:");
}

// Live byte 28 codes and the texts they show, restated from the unit's list.
TEST(TextSlotsTest, TuningStateSlots) {
  const char* const kTexts[] = {"T: rpm=0",
                                "T: no TPS, no IAP",
                                "T: Tunning is off",
                                "T: Accelarition is to high",
                                "T: Jet from TPS and IAP map",
                                "T: It is not in point-RPM low",
                                "T: It is not in point-RPM high",
                                "T: It is not in point-TPS low",
                                "T: It is not in point-TPS high",
                                "T: Lambda voltage error",
                                "T: RPM to low (before first point)",
                                "T: RPM high (after last point)",
                                "T: TPS or IAP to low (before first point)",
                                "T: TPS or IAP high ((hinter letzte Punkt)",
                                "T: Adding",
                                "T: Decrease",
                                "T: OK",
                                "T: Coupled",
                                "T: Lambda is to low",
                                "T: Lambda is to high",
                                "T: TPS is to low",
                                "T: RPM to low",
                                "T: Temperature is to low",
                                "T: Temperature is to high"};
  CTextSlots slots;
  slots.Apply(kEnglish);
  for (int code = 0; code < 24; ++code) {
    SCOPED_TRACE(code);
    const int slot = TuningStateSlot(code);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(slots[slot], kTexts[code]);
  }
  EXPECT_EQ(TuningStateSlot(24), -1);
  EXPECT_EQ(TuningStateSlot(30), -1);
  EXPECT_EQ(TuningStateSlot(-1), -1);
}

}  // namespace
