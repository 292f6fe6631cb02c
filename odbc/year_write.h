#ifndef LEVORN_ODBC_YEAR_WRITE_H_
#define LEVORN_ODBC_YEAR_WRITE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "odbc/mdl_odbc.h"
#include "registry/registry_api.h"

namespace levorn {

// One value of a data source, in the order values are written.
struct LayoutValue {
  const char* key;  // below the data source's key: "" or "\\Engines\\Jet"
  const char* name;
  uint32_t type;
  std::vector<uint8_t> data;
};

// The value naming the driver's file, the one that depends on where the
// driver is.
inline constexpr char kDriverValue[] = "Driver";

// The keys of one data source, below its own key, in the order they are
// written; each holds the subkey that follows it.
inline constexpr const char* kLayoutKeys[] = {"", "\\Engines", "\\Engines\\Jet"};

// REG_SZ data: the ANSI bytes and their terminating NUL.
std::vector<uint8_t> TextData(const std::string& ansi);

// Every value of one year's data source, in the order they are written.
std::vector<LayoutValue> YearLayout(const std::string& path, const std::string& description,
                                    const std::string& driver);

// Writes one data source's keys and values. The first call that fails ends
// the writing: nothing more is written, and the keys this write created (as
// the create call itself said) are deleted again, deepest first, so that a
// data source is either complete or absent and a later run can register it.
// A key someone else created meanwhile is never deleted. A key that could
// not be created gets no handle, so nothing meant for it lands anywhere else.
class YearWrite {
 public:
  explicit YearWrite(RegistryApi& registry) : registry_(registry) {}
  // Left early (a run-time error): undone all the same.
  ~YearWrite() {
    if (!finished_) Undo();
  }
  YearWrite(const YearWrite&) = delete;
  YearWrite& operator=(const YearWrite&) = delete;

  // `undoable`: a key of this data source, deleted again if this write made it.
  void CreateKey(const std::string& path, ScopedKey& key, bool undoable);
  void Set(const ScopedKey& key, const std::string& name, uint32_t type,
           const std::vector<uint8_t>& data);
  // Call with every key of the write closed. A delete that fails while
  // undoing gives the year its reason: a rerun then finishes what is left.
  DsnResult Finish();

 private:
  bool failed() const { return first_error_ != kErrorSuccess; }
  void Fail(int32_t result) {
    if (!failed()) first_error_ = result;
  }
  int32_t Undo() noexcept;

  RegistryApi& registry_;
  std::vector<std::string> created_;
  int32_t first_error_ = kErrorSuccess;
  bool finished_ = false;
};

}  // namespace levorn

#endif  // LEVORN_ODBC_YEAR_WRITE_H_
