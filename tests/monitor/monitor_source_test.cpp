// The source export: the statements that rebuild a set, byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "monitor/MonitorSource.h"
#include "support/TempFolder.h"

namespace {

MonitorSet PictureAndValue() {
  const CemRecord picture{.kind = kCemPicture, .Width = 36, .Height = 36, .picture = {'B', 'M'}};
  const CemRecord value{.kind = kCemValue,
                        .ColorMk = kCemBtnFace,
                        .Left = 144,
                        .Top = 20,
                        .Width = 56,
                        .Height = 22,
                        .focusable = 1,
                        .Color = 0xFFFFFF,
                        .ltframe = 0xFFFFFF,
                        .dkframe = 0xC0C0C0,
                        .TextColor = 255,
                        .AlignV = -1,
                        .AlignH = 1,
                        .rszable = 1,
                        .minw = 4,
                        .minh = 4,
                        .maxw = 1000,
                        .maxh = 1000,
                        .id = 1160};
  return {.left = 176,
          .top = 117,
          .width = 405,
          .height = 236,
          .origWidth = 397,
          .origHeight = 189,
          .records = {picture, value}};
}

// Written out by hand, line by line, CR LF at every end.
constexpr const char* kPictureAndValueSource =
    "//External Monitor Set******\r\n"
    "\t//Variables\r\n"
    "\tCMyText *t;\r\n"
    "\tCMyLabel *l;\r\n"
    "\tCMyValue *v;\r\n"
    "\tCMyIndicator *in;\r\n"
    "\tCMyComponent *p;\r\n"
    "\t//Position\r\n"
    "\tParent->Left=176;\r\n"
    "\tParent->Top=117;\r\n"
    "\tParent->Width=405;\r\n"
    "\tParent->Height=236;\r\n"
    "\tPlace->origWidth=397;\r\n"
    "\tPlace->origHeight=189;\r\n"
    "\t\r\n"
    "\t//Clear Place\r\n"
    "\tPlace->FreeAll();\r\n"
    "\t\r\n"
    "\t//Item 0 (0)\r\n"
    "\t\t//Picture skipped :(\r\n"
    "\t//Item 1 (4)\r\n"
    "\t\t//Value - create...\r\n"
    "\tv=new CMyValue();\r\n"
    "\tv->ColorMk=(TColor)-16777201;\r\n"
    "\tp=v;\r\n"
    "\t\t//Common values...\r\n"
    "\tp->Left=144;\r\n"
    "\tp->Top=20;\r\n"
    "\tp->Width=56;\r\n"
    "\tp->Height=22;\r\n"
    "\tp->focusable=1;\r\n"
    "\tp->Color=(TColor)16777215;\r\n"
    "\tp->ltframe=(TColor)16777215;\r\n"
    "\tp->dkframe=(TColor)12632256;\r\n"
    "\tp->Down=0;\r\n"
    "\tp->TextColor=(TColor)255;\r\n"
    "\tp->AlignV=-1;\r\n"
    "\tp->AlignH=1;\r\n"
    "\tp->rszable=1;\r\n"
    "\tp->nprable=0;\r\n"
    "\tp->ow=0;\r\n"
    "\tp->oh=0;\r\n"
    "\tp->minw=4;\r\n"
    "\tp->minh=4;\r\n"
    "\tp->maxw=1000;\r\n"
    "\tp->maxh=1000;\r\n"
    "\tp->id=1160;\r\n"
    "\tp->kind=4;\r\n"
    "\t\t//Insert...\r\n"
    "\tp->s=(CLngStr*)GetDef(p->id);\r\n"
    "\tPlace->Insert(p);\r\n"
    "\t\r\n";

TEST(MonitorSource, PictureAndValueAgainstFixture) {
  EXPECT_EQ(MonitorSourceText(PictureAndValue()), kPictureAndValueSource);
}

TEST(MonitorSource, KindLinesAndEscapedTexts) {
  MonitorSet set;
  set.records = {{.kind = kCemText, .text = "say \"5\\6\"\n"},
                 {.kind = kCemLabel, .number = 1, .ColorMk = 255},
                 {.kind = kCemIndicator, .number = 2, .ColorMk = -1}};
  const std::string source = MonitorSourceText(set);
  // An element's text becomes a string literal that compiles.
  for (const char* line : {"\t//Item 0 (1)\r\n\t\t//Text - create...\r\n\tt=new CMyText();\r\n"
                           "\tt->SetStr(\"say \\\"5\\\\6\\\"\\n\");\r\n\tp=t;\r\n",
                           "\t//Item 1 (2)\r\n\t\t//Label - create...\r\n\tl=new CMyLabel();\r\n"
                           "\tl->ColorMk=(TColor)255;\r\n\tl->units=1;\r\n\tp=l;\r\n",
                           "\t//Item 2 (8)\r\n\t\t//Indicator - create...\r\n\tin=new CMyIndicator();\r\n"
                           "\tin->Style=2;\r\n\tin->ColorMk=(TColor)-1;\r\n\tp=in;\r\n"})
    EXPECT_NE(source.find(line), std::string::npos) << line;
}

TEST(MonitorSource, ExportThatCannotBeWrittenSaysSo) {
  testsupport::TempFolder folder;
  ASSERT_TRUE(folder.IsValid());
  EXPECT_EQ(ExportMonitorSourceFile(folder / "set.cpp", PictureAndValue()), 0);
  EXPECT_EQ(ExportMonitorSourceFile(folder / "missing/set.cpp", PictureAndValue()), 1);
}

}  // namespace
