#include "tests/support/screen_fake.h"

#include <sstream>
#include <stdexcept>

#include "base/ansi.h"

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

void RecordingScreen::Set(WindowId window, float Rect::*field, const char* name, float twips) {
  At(window);
  rects_[window].*field = twips;
  Note(name, window, Number(twips));
}

void RecordingScreen::SetLeft(WindowId window, float twips) {
  Set(window, &Rect::left, "left", twips);
}
void RecordingScreen::SetTop(WindowId window, float twips) {
  Set(window, &Rect::top, "top", twips);
}
void RecordingScreen::SetWidth(WindowId window, float twips) {
  Set(window, &Rect::width, "width", twips);
}
void RecordingScreen::SetHeight(WindowId window, float twips) {
  Set(window, &Rect::height, "height", twips);
}

int32_t RecordingScreen::ShowMessage(const Text& prompt, const Text& title, uint32_t style) {
  log_.push_back("message " + ToAnsi(MessageBoxCaption(title)) + ": " + ToAnsi(prompt) +
                 (style != kMessageBoxOk ? " (style " + std::to_string(style) + ")" : ""));
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
