#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/FieldCatalogue.h"
#include "image/ParamSet.h"

// How each scalar control of the parameter pages binds to the parameter
// set. Width, scale and offset of the value come only from the field
// catalogue; this table adds the control, its page and, for an up/down, the
// range and step it lets the user set (in shown units).
enum class ControlKind : std::uint8_t {
  kUpDown,      // a named pair: edit "Edit<X>" with up/down "UpDown<X>"
  kCheckBox,    // checked = value not 0
  kRadioGroup,  // selected item = value
};

struct ControlBinding {
  int page;
  const char* name;  // "UpDown<X>" for an up/down pair, else the control's own name
  FieldId field;
  int element;
  ControlKind kind;
  std::int32_t min = 0;  // up/down only, shown units
  std::int32_t max = 0;
  std::int32_t step = 1;
};

std::span<const ControlBinding> PageBindings();
// The bindings of one page, in table order.
std::span<const ControlBinding> BindingsOfPage(int page);
const ControlBinding* FindBinding(std::string_view name);

// The edit of an up/down pair: "UpDownGas1" -> "EditGas1"; "" for a name
// that is not an up/down's.
std::string FieldEditName(std::string_view upDownName);

// What the page's controls hold, as the generic reader and writer see them:
// an up/down's position, a check box's state (0 or 1), a radio group's
// selected item (-1: none; a value beyond its items is shown as none). The
// window implements it over its widgets.
class IControlValues {
 public:
  virtual ~IControlValues() = default;
  // Nothing when the control does not exist (yet) on the window.
  virtual std::optional<std::int32_t> Get(const ControlBinding& control) const = 0;
  virtual void Set(const ControlBinding& control, std::int32_t value) = 0;
};

// Controls of `page` -> parameter set. A control gives back the value it was
// written with unless the user changed it: a check box whose state still
// matches a non-zero value keeps that value, a radio group with no item
// selected keeps the value, an up/down keeps its (unbounded) position.
void ReadPage(int page, const IControlValues& controls, CParamSet& params);
// Parameter set -> controls of `page`; values outside an up/down's range are
// shown as they are.
void WritePage(int page, const CParamSet& params, IControlValues& controls);
