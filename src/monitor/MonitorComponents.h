#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "monitor/MonitorDraw.h"
#include "base/Lang.h"

class CParameterCatalogue;
struct CID;
class CMyGroup;

// The external monitor's dashboard: light components of its own that paint
// onto one canvas and take pointer and key events from the window, which
// sets `button`, `mousex`, `mousey`, `shift` and `ctrl` before each call.

// Element kinds as monitor sets store them.
enum MonitorKind : int { kKindPicture = 0, kKindText = 1, kKindLabel = 2, kKindValue = 4, kKindIndicator = 8 };

// Indicator styles.
enum IndicatorStyle : int { kBarHorizontal = 0, kBarVertical = 1, kRoundDial = 2 };

// Virtual-key codes the container acts on; the window maps its keys to them.
enum MonitorKey : int { kVkTab = 0x09, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28 };

// Pointer shapes the container asks the window for (16-bit, as stored).
enum MonitorCursor : std::int16_t {
  kCursorDefault = 0,
  kCursorCross = -3,
  kCursorSizeNESW = -6,
  kCursorSizeNS = -7,
  kCursorSizeNWSE = -8,
  kCursorSizeWE = -9,
  kCursorSizeAll = -22,
};

// Resize handles: 0 none, then clockwise from the top middle.
enum MonitorHandle : int {
  kHandleNone = 0,
  kHandleTop = 1,
  kHandleTopRight = 2,
  kHandleRight = 3,
  kHandleBottomRight = 4,
  kHandleBottom = 5,
  kHandleBottomLeft = 6,
  kHandleLeft = 7,
  kHandleTopLeft = 8,
};

// Repaint request bits.
constexpr int kDirtySelf = 1;
constexpr int kDirtyAll = 2;

class CMyComponent {
 public:
  CMyComponent();
  virtual ~CMyComponent() = default;
  CMyComponent(const CMyComponent&) = delete;
  CMyComponent& operator=(const CMyComponent&) = delete;

  int Left = 0, Top = 0, Width = 0, Height = 0;
  int focusable = 0;
  TColor Color = 0xFFFFFF;
  TColor ltframe = 0xFFFFFF;
  TColor dkframe = 0xC0C0C0;
  int Down = 0;
  int hover = 0;
  int mousex = 0, mousey = 0;
  int button = 0;  // 1 left, 2 right
  int shift = 0, ctrl = 0;
  CMyGroup* parent = nullptr;
  CMonCanvas* canvas = nullptr;
  int dirty = 0;
  TColor TextColor = 0;
  int AlignV = 0;    // horizontal placement: 0 centred, < 0 left, > 0 right
  int AlignH = 0;    // vertical placement: 0 centred, < 0 top, > 0 bottom
  const CLngStr* s;  // caption (buttons) or the bound parameter's name
  int selected = 0;
  int rszable = 1;
  int nprable = 1;
  int handle = kHandleNone;
  int dragging = 0;
  int sizing = kHandleNone;
  int grabx = 0, graby = 0;
  int startTop = 0, startLeft = 0, startWidth = 0, startHeight = 0;
  int ow = 0, oh = 0;
  int minw = 4, minh = 4;
  int maxw = 1000, maxh = 1000;
  int id = 0;
  int kind = kKindPicture;
  float scale = 1.0f;

  virtual void Paint();
  virtual void MouseDown() {}
  virtual void MouseUp() {}
  virtual void MouseMove() {}
  virtual void MouseLeave() {}
  virtual void MouseWheel(int /*delta*/) {}
  virtual void DblClick() {}
  virtual void KeyDown(int /*key*/) {}
  virtual void SetCanvas(CMonCanvas* c) { canvas = c; }
  virtual void SetColor(TColor colour) { Color = colour; }
  virtual bool IsFocused() const;
  virtual void FocusGained() {}
  virtual void FocusLost() {}
  virtual void ConstrainResize(int& /*dw*/, int& /*dh*/) {}
  virtual void SetScale(float factor) { scale = factor; }
  // False for the elements: they draw over whatever lies beneath them, so
  // repainting one alone would leave its old pixels behind.
  virtual bool PaintsBackground() const { return true; }

  // OR `bits` into this component's and its container's repaint request;
  // without a container the whole component repaints.
  void Invalidate(int bits = kDirtySelf);
  // The geometry at the start of a resize, with the proportion reference
  // taken from the current size when it is unset.
  void StartResize();

  // Fill and bevel of containers and buttons.
  void BasePaint();
  // Layout units to canvas pixels, rounded to the nearest.
  int Px(double layout) const;
};

class CMyGroup : public CMyComponent {
 public:
  CMyGroup() = default;
  ~CMyGroup() override;

  // Paint order: a later item is drawn over an earlier one and is hit first.
  std::vector<std::unique_ptr<CMyComponent>> items;
  int capacity = 10;
  CMyComponent* focused = nullptr;
  int origWidth = 0, origHeight = 0;
  int edit = 0;
  int band = 0;
  int bandx1 = 0, bandy1 = 0, bandx2 = 0, bandy2 = 0;
  int nsel = 0;
  std::int16_t cursor = kCursorDefault;
  int grip = 0;

  int Count() const { return int(items.size()); }
  CMyComponent* Item(int index) const { return items[std::size_t(index)].get(); }

  // Appends on top and takes ownership; returns the item.
  CMyComponent* Insert(std::unique_ptr<CMyComponent> item);
  template <class T>
  T* Insert(std::unique_ptr<T> item) {
    T* raw = item.get();
    Insert(std::unique_ptr<CMyComponent>(std::move(item)));
    return raw;
  }
  void Remove(CMyComponent* item);
  void FreeAll();
  void SetFocused(CMyComponent* item);
  void BringToFront(CMyComponent* item);
  void DeselectAll();
  void CountSelected();
  void Refresh();
  void ResizeBy(CMyComponent& item, int handle, int dx, int dy);

  void Paint() override;
  void MouseDown() override;
  void MouseUp() override;
  void MouseMove() override;
  void MouseLeave() override;
  void MouseWheel(int delta) override;
  void DblClick() override;
  void KeyDown(int key) override;
  void SetCanvas(CMonCanvas* c) override;
  void SetColor(TColor colour) override;
  void SetScale(float factor) override;

 private:
  int IndexOf(const CMyComponent* item) const;
  void PaintGrip();
  // Limits a move of the selection so every selected item stays inside.
  void ClampSelectionMove(int& dx, int& dy) const;
  void MoveSelection(int dx, int dy);
  void UpdateCursor();
};

// A button of the window's bar.
class CMyButt : public CMyComponent {
 public:
  CMyButt();
  int type = 0;  // 0 inert, 1 push button, 2 toggle
  int checked = 0;

  void Paint() override;
  void MouseDown() override;
  void MouseUp() override;
  void MouseLeave() override;
};

// The bar's pin: a glyph instead of a caption.
class CMyPin : public CMyButt {
 public:
  void Paint() override;
};

// The base of the elements a monitor set holds.
class CMyObj : public CMyComponent {
 public:
  CMyObj();
  TColor ColorMk = 0;  // fill of a bar, needle of a dial

  // Binds the element to parameter `id` of the catalogue (the not-found row
  // for an unknown id); the row is read at every paint.
  void SetParameter(const CParameterCatalogue& catalogue, int parameterId);
  const CParameterCatalogue* Catalogue() const { return m_catalogue; }
  // The bound row; an unbound element sees an empty row with no value.
  const CID& Row() const;
  // The first value change of the run has happened.
  bool HasData() const;

  // Only the selection frame: elements have no background of their own.
  void Paint() override;
  // Labels, texts and values: Width := the text's width when its height is
  // fitted to `Height`. Other elements keep their width.
  virtual void FitWidth() {}

  void MouseMove() override;
  void MouseLeave() override { handle = kHandleNone; }
  void FocusGained() override { Invalidate(); }
  void FocusLost() override { Invalidate(); }
  bool PaintsBackground() const override { return false; }

  // The handle under (x, y) in layout units, 0 for none.
  int HandleAt(int x, int y) const;

 protected:
  void PaintSelectionFrame();
  // Places and draws `text` as labels, values and texts do.
  void PaintText(std::string_view text, TColor colour);

 private:
  const CParameterCatalogue* m_catalogue = nullptr;
  const CID* m_row = nullptr;
};

class CMyImage : public CMyObj {
 public:
  CMyImage();
  // The picture as a BMP or JPEG file image with its pixel size; the view
  // decodes it. Empty: no picture.
  std::vector<std::uint8_t> picture;
  int pictureWidth = 0;
  int pictureHeight = 0;

  void Paint() override;
};

// The name of a parameter.
class CMyLabel : public CMyObj {
 public:
  CMyLabel();
  int units = 1;  // append the unit to the name

  void Paint() override;
  // The widest of the four languages.
  void FitWidth() override;
  // The name in `language`, with the unit when `units` is set.
  std::string Caption(int language) const;
};

// A fixed text, UTF-8 in memory.
class CMyText : public CMyLabel {
 public:
  CMyText();
  std::string text;

  void SetStr(std::string_view str) { text = str; }
  void Paint() override;
  void FitWidth() override;
};

// The value of a parameter as text.
class CMyValue : public CMyObj {
 public:
  CMyValue();

  void Paint() override;
  // YES/NO and running/no signal: the widest word of the four languages;
  // a number: the current text (the placeholder before the first data).
  void FitWidth() override;
};

// The value of a parameter as a bar or a round dial.
class CMyIndicator : public CMyObj {
 public:
  CMyIndicator();
  int Style = kBarHorizontal;

  void Paint() override;

 private:
  void PaintBar(TColor state, double v, TColor mark);
  void PaintDial(TColor state, double v, TColor mark);
};

// The font size at which `text` is `height` units high, measured at the
// canvas font's current size (integer division, as the layout was made
// with); 0 when the text has no height.
int FittedFontSize(const CMonCanvas& canvas, std::string_view text, int height);
