#include "monitor/MonitorSource.h"

#include <cstdio>
#include <string_view>

#include "files/AtomicFile.h"

namespace {

// The export is a text file of the platform the statements came from: every
// line ends in CR LF.
class SourceWriter {
 public:
  void Line(std::string_view text) {
    m_out.append(text);
    m_out.append("\r\n");
  }
  // "\t<prefix><value>;" where the value prints as a signed integer, so a
  // stored system colour reads -16777201.
  void Assign(std::string_view prefix, std::int32_t value) {
    char number[16];
    std::snprintf(number, sizeof number, "%i", static_cast<int>(value));
    std::string line = "\t";
    line.append(prefix).append(number).append(";");
    Line(line);
  }
  std::string Take() { return std::move(m_out); }

 private:
  std::string m_out;
};

// A text as the contents of a string literal.
std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '"':
      case '\\':
        out.push_back('\\');
        out.push_back(c);
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

void KindLines(SourceWriter& w, const CemRecord& r) {
  switch (r.kind) {
    case kCemText:
      w.Line("\t\t//Text - create...");
      w.Line("\tt=new CMyText();");
      w.Line("\tt->SetStr(\"" + Escaped(r.text) + "\");");
      w.Line("\tp=t;");
      break;
    case kCemLabel:
      w.Line("\t\t//Label - create...");
      w.Line("\tl=new CMyLabel();");
      w.Assign("l->ColorMk=(TColor)", r.ColorMk);
      w.Assign("l->units=", r.number);
      w.Line("\tp=l;");
      break;
    case kCemValue:
      w.Line("\t\t//Value - create...");
      w.Line("\tv=new CMyValue();");
      w.Assign("v->ColorMk=(TColor)", r.ColorMk);
      w.Line("\tp=v;");
      break;
    case kCemIndicator:
      w.Line("\t\t//Indicator - create...");
      w.Line("\tin=new CMyIndicator();");
      w.Assign("in->Style=", r.number);
      w.Assign("in->ColorMk=(TColor)", r.ColorMk);
      w.Line("\tp=in;");
      break;
  }
}

}  // namespace

std::string MonitorSourceText(const MonitorSet& set) {
  SourceWriter w;
  for (const char* line : {"//External Monitor Set******", "\t//Variables", "\tCMyText *t;", "\tCMyLabel *l;",
                           "\tCMyValue *v;", "\tCMyIndicator *in;", "\tCMyComponent *p;", "\t//Position"})
    w.Line(line);
  w.Assign("Parent->Left=", set.left);
  w.Assign("Parent->Top=", set.top);
  w.Assign("Parent->Width=", set.width);
  w.Assign("Parent->Height=", set.height);
  w.Assign("Place->origWidth=", set.origWidth);
  w.Assign("Place->origHeight=", set.origHeight);
  for (const char* line : {"\t", "\t//Clear Place", "\tPlace->FreeAll();", "\t"}) w.Line(line);

  int item = 0;
  for (const CemRecord& r : set.records) {
    char head[48];
    std::snprintf(head, sizeof head, "\t//Item %i (%i)", item++, static_cast<int>(r.kind));
    w.Line(head);
    if (r.kind == kCemPicture) {
      w.Line("\t\t//Picture skipped :(");
      continue;
    }
    KindLines(w, r);
    w.Line("\t\t//Common values...");
    for (const CemField& field : kCemCommonFields)
      w.Assign(std::string("p->") + field.name + (field.colour ? "=(TColor)" : "="), r.*field.member);
    w.Assign("p->kind=", r.kind);
    w.Line("\t\t//Insert...");
    w.Line("\tp->s=(CLngStr*)GetDef(p->id);");
    w.Line("\tPlace->Insert(p);");
    w.Line("\t");
  }
  return w.Take();
}

int ExportMonitorSourceFile(const std::string& path, const MonitorSet& set) {
  return WriteFileAtomic(path, MonitorSourceText(set)).ok ? kCemOk : kCemOpenError;
}
