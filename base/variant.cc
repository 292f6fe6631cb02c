#include "base/variant.h"

namespace levorn {

Text Variant::ToText() const {
  if (IsText()) return AsText();
  if (IsInteger()) return std::to_wstring(AsInteger());
  return Text();
}

}  // namespace levorn
