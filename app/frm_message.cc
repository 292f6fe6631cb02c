#include "app/frm_message.h"

#include <cfloat>
#include <cmath>

#include "app/layout.h"
#include "base/runtime_error.h"

namespace levorn {
namespace {

// A placement coordinate as the window system takes it: single precision,
// unrounded, negative values kept. A result single precision cannot hold is
// a floating-point fault, raised instead of being applied.
float ToSingle(double twips) {
  if (!std::isfinite(twips) || std::fabs(twips) > FLT_MAX) {
    throw RuntimeError(ErrorNumber::kOverflow);
  }
  return static_cast<float>(twips);
}

}  // namespace

void frmMessage::EnsureLoaded() {
  if (loaded_) return;
  screen_.Create(WindowId::kProgress);
  loaded_ = true;
  Form_Load();
}

void frmMessage::Form_Load() {
  screen_.Set(WindowId::kProgress, Measure::kHeight, kProgressHeight);
  screen_.Set(WindowId::kProgress, Measure::kWidth, kProgressWidth);
  // Half the difference in size: centred over the main window when that sits
  // at the screen's top-left corner. Sizes are read back, as the window
  // system may have adjusted them.
  const auto half_difference = [this](Measure size) {
    return ToSingle((double{screen_.Get(WindowId::kMain, size)} -
                     double{screen_.Get(WindowId::kProgress, size)}) /
                    2);
  };
  screen_.Set(WindowId::kProgress, Measure::kLeft, half_difference(Measure::kWidth));
  screen_.Set(WindowId::kProgress, Measure::kTop, half_difference(Measure::kHeight));
}

void frmMessage::Show() {
  EnsureLoaded();
  screen_.Show(WindowId::kProgress);
}

void frmMessage::Refresh() {
  EnsureLoaded();
  screen_.Refresh(WindowId::kProgress);
}

void frmMessage::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  screen_.Destroy(WindowId::kProgress);
}

}  // namespace levorn
