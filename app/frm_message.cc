#include "app/frm_message.h"

#include <cfloat>
#include <cmath>

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
  screen_.SetHeight(WindowId::kProgress, kHeight);
  screen_.SetWidth(WindowId::kProgress, kWidth);
  // Half the difference in size: centred over the main window when that sits
  // at the screen's top-left corner. Sizes are read back, as the window
  // system may have adjusted them.
  screen_.SetLeft(WindowId::kProgress, ToSingle((double{screen_.Width(WindowId::kMain)} -
                                                 double{screen_.Width(WindowId::kProgress)}) /
                                                2));
  screen_.SetTop(WindowId::kProgress, ToSingle((double{screen_.Height(WindowId::kMain)} -
                                                double{screen_.Height(WindowId::kProgress)}) /
                                               2));
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
