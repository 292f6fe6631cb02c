#include "tests/support/automation_fake.h"

#include <algorithm>

#include "base/text.h"

namespace levorn {
namespace {

class RecordingObject : public AutomationObject {
 public:
  RecordingObject(RecordingAutomation& owner, int id) : owner_(owner), id_(id) {
    ++owner_.live_objects;
  }
  ~RecordingObject() override {
    --owner_.live_objects;
    owner_.log.push_back("release #" + std::to_string(id_));
  }

  Text CallForText(const Text& member, const std::vector<Text>& arguments) override {
    Record(member, arguments);
    auto it = owner_.results.find(member);
    return it == owner_.results.end() ? Text() : it->second;
  }
  void Call(const Text& member, const std::vector<Text>& arguments) override {
    Record(member, arguments);
  }

 private:
  void Record(const Text& member, const std::vector<Text>& arguments) {
    std::string line = "#" + std::to_string(id_) + "." + ToAnsi(member) + "(";
    for (size_t i = 0; i < arguments.size(); ++i) line += (i ? "," : "") + ToAnsi(arguments[i]);
    owner_.log.push_back(line + ")");
    auto failure = owner_.failures.find(member);
    if (failure != owner_.failures.end()) throw failure->second;
  }

  RecordingAutomation& owner_;
  int id_;
};

}  // namespace

std::unique_ptr<AutomationObject> RecordingAutomation::CreateObject(const Text& prog_id) {
  if (std::find(unavailable.begin(), unavailable.end(), prog_id) != unavailable.end()) {
    log.push_back("cannot create " + ToAnsi(prog_id));
    throw RuntimeError(ErrorNumber::kCannotCreateObject);
  }
  const int id = next_id_++;
  log.push_back("create " + ToAnsi(prog_id) + " #" + std::to_string(id));
  return std::make_unique<RecordingObject>(*this, id);
}

}  // namespace levorn
