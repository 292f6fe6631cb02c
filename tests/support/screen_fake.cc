#include "tests/support/screen_fake.h"

#include <sstream>
#include <stdexcept>

#include "base/text.h"

namespace levorn {
namespace {

const char* Name(WindowId window) { return window == WindowId::kMain ? "main" : "progress"; }

std::string Number(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace

void RecordingScreen::Note(const std::string& what, WindowId window, const std::string& detail) {
  log_.push_back(what + " " + Name(window) + (detail.empty() ? "" : " " + detail));
}

const RecordingScreen::Rect& RecordingScreen::At(WindowId window) const {
  auto it = rects_.find(window);
  if (it == rects_.end()) throw std::logic_error(std::string("no window ") + Name(window));
  return it->second;
}

void RecordingScreen::Create(WindowId window) {
  if (IsCreated(window)) throw std::logic_error(std::string("created twice: ") + Name(window));
  rects_[window] = design[window];
  Note("create", window);
}

void RecordingScreen::Show(WindowId window) {
  At(window);
  visible_[window] = true;
  Note("show", window);
}

void RecordingScreen::Refresh(WindowId window) {
  At(window);
  Note("refresh", window);
}

void RecordingScreen::Destroy(WindowId window) {
  At(window);
  rects_.erase(window);
  visible_.erase(window);
  Note("destroy", window);
}

float& RecordingScreen::Field(WindowId window, Measure measure) {
  At(window);
  Rect& rect = rects_[window];
  float* fields[] = {&rect.left, &rect.top, &rect.width, &rect.height};
  return *fields[static_cast<int>(measure)];
}

float RecordingScreen::Get(WindowId window, Measure measure) { return Field(window, measure); }

void RecordingScreen::Set(WindowId window, Measure measure, float twips) {
  static const char* const kNames[] = {"left", "top", "width", "height"};
  Field(window, measure) = twips;
  Note(kNames[static_cast<int>(measure)], window, Number(twips));
}

int32_t RecordingScreen::ShowMessage(const Text& prompt, const Text& title, Ending ending) {
  endings.push_back(ending);
  log_.push_back("message " + ToAnsi(MessageBoxCaption(title)) + ": " + ToAnsi(prompt));
  return 1;  // IDOK
}

std::vector<std::string> RecordingScreen::Messages() const {
  std::vector<std::string> messages;
  for (const std::string& line : log_) {
    if (line.rfind("message ", 0) == 0) messages.push_back(line.substr(8));
  }
  return messages;
}

}  // namespace levorn
