// The control's clipboard commands: Copy, Copy table, Paste and Copy graph.
#include <QPainter>
#include <QPalette>

#include "sheet/Clipboard.h"
#include "sheet/SheetButtons.h"
#include "sheet/view/SheetClipboard.h"
#include "sheet/view/TTab.h"

namespace {

// The 3D graph's left strip holds its own buttons: a copied picture starts past it.
constexpr int k3DPictureLeft = 140;

}  // namespace

bool TTab::ClipboardCommand(int command) {
  CSheet* s = m_model.Active();
  if (!s) return false;
  CSheetClipboard& board = CSheetClipboard::Instance();
  switch (command) {
    case kCommandCopy: {
      if (m_edit.active && m_edit.selEnd > m_edit.selStart) {
        board.SetPlainText(m_edit.text.substr(static_cast<std::size_t>(m_edit.selStart),
                                              static_cast<std::size_t>(m_edit.selEnd - m_edit.selStart)));
        return true;
      }
      const std::string text = PlainSelectionText(*s);
      if (text.empty()) return false;  // nothing selected: the clipboard keeps what it had
      board.SetPlainText(text);
      return true;
    }
    case kCommandCopyTable:
      board.SetSheetTexts(PlainSheetText(*s), LabelledSheetText(*s));
      return true;
    case kCommandPaste: {
      if (!s->enabled) return false;
      if (board.HasSheet()) {
        if (!CanPasteLabelled(*s)) return false;
        CommitEdit();
        EndInteractions();
        PastePlan plan;
        const bool changed = PasteText(m_model, board.SheetText(), true, &plan) == PasteOutcome::kApply;
        m_model.RequestRedraw(kRedraw | kRelayout);
        Flush();
        const auto q = [](const std::string& t) { return QString::fromStdString(t); };
        if (const CSheet* now = m_model.Active(); now && plan.foreign)
          emit PasteRefused(false, q(plan.copiedAxes), q(SheetAxesText(*now)));
        else if (now && plan.outcome == PasteOutcome::kRefused)
          emit PasteRefused(true, q(plan.copiedAxes), q(SheetSizeText(*now)));
        return changed;
      }
      if (!board.HasText()) return false;
      if (m_edit.active) {
        const bool inserted =
            PasteIntoEditor(m_edit.text, m_edit.caret, m_edit.selStart, m_edit.selEnd, board.PlainText());
        m_edit.blink = 0;
        m_model.RequestRedraw(kRedraw);
        Flush();
        return inserted;
      }
      if (!CanPastePlain(*s)) return false;
      EndInteractions();
      const bool changed = PasteText(m_model, board.PlainText(), false) == PasteOutcome::kApply;
      m_model.RequestRedraw(kRedraw | kRelayout);
      Flush();
      return changed;
    }
    case kCommandCopyGraph: {
      CGraphView* graph = ShownGraph();
      QRect area = GraphArea();
      if (!graph || area.isEmpty()) return false;
      // The graph painted on a white face into a picture of its own; the
      // control's bitmap is left as it is.
      const QPalette saved = palette();
      QPalette white = saved;
      white.setColor(QPalette::Button, Qt::white);
      white.setColor(QPalette::Window, Qt::white);
      setPalette(white);
      QImage picture(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
      picture.fill(Qt::white);
      {
        QPainter p(&picture);
        p.setFont(font());
        graph->Paint(p, area);
      }
      setPalette(saved);
      if (m_model.ShownView() == kView3D) area.setLeft(std::max(area.left(), k3DPictureLeft));
      if (area.isEmpty()) return false;
      board.SetImage(picture.copy(area));
      return true;
    }
    default:
      return false;
  }
}
