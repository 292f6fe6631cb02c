#include "odbc/year_write.h"

namespace levorn {
namespace {

std::vector<uint8_t> DwordData(uint32_t number) {
  return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
          static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
}

}  // namespace

std::vector<uint8_t> TextData(const std::string& ansi) {
  std::vector<uint8_t> data(ansi.begin(), ansi.end());
  data.push_back(0);
  return data;
}

std::vector<LayoutValue> YearLayout(const std::string& path, const std::string& description,
                                    const std::string& driver) {
  const char* jet = kLayoutKeys[2];
  return {{"", "DBQ", kRegSz, TextData(path)},
          {"", "Description", kRegSz, TextData(description)},
          {"", kDriverValue, kRegSz, TextData(driver)},
          {"", "DriverId", kRegDword, DwordData(25)},
          {"", "FIL", kRegSz, TextData("MS Access;")},
          {"", "SafeTransactions", kRegDword, DwordData(0)},
          {"", "UID", kRegSz, TextData("")},
          {jet, "ImplicitCommitSync", kRegSz, TextData("")},
          {jet, "MaxBufferSize", kRegDword, DwordData(2048)},
          {jet, "PageTimeout", kRegDword, DwordData(5)},
          {jet, "Threads", kRegDword, DwordData(3)},
          {jet, "UserCommitSync", kRegSz, TextData("Yes")}};
}

void YearWrite::CreateKey(const std::string& path, ScopedKey& key, bool undoable) {
  if (failed()) return;
  uint32_t disposition = 0;
  const int32_t result =
      registry_.CreateKeyEx(kHkeyLocalMachine, path, key.receive(), &disposition);
  if (result != kErrorSuccess) return Fail(result);
  if (key.get() == 0) return Fail(kErrorInvalidHandle);
  if (undoable && disposition == kRegCreatedNewKey) created_.push_back(path);
}

void YearWrite::Set(const ScopedKey& key, const std::string& name, uint32_t type,
                    const std::vector<uint8_t>& data) {
  if (failed() || key.get() == 0) return;
  const int32_t result = registry_.SetValueEx(key.get(), name, 0, type, data.data(),
                                              static_cast<uint32_t>(data.size()));
  if (result != kErrorSuccess) Fail(result);
}

DsnResult YearWrite::Finish() {
  finished_ = true;
  if (!failed()) return {DsnOutcome::kRegistered};
  const int32_t undo = Undo();
  return {DsnOutcome::kNotRegistered, undo != kErrorSuccess ? undo : first_error_};
}

int32_t YearWrite::Undo() noexcept {
  int32_t first_failure = kErrorSuccess;
  try {
    for (auto path = created_.rbegin(); path != created_.rend(); ++path) {
      const int32_t result = registry_.DeleteKey(kHkeyLocalMachine, *path);
      if (first_failure == kErrorSuccess) first_failure = result;
    }
  } catch (...) {
    // Out of memory while undoing: what is left stays, as after a crash,
    // and a rerun finishes it.
  }
  created_.clear();
  return first_failure;
}

}  // namespace levorn
