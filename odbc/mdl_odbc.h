#ifndef LEVORN_ODBC_MDL_ODBC_H_
#define LEVORN_ODBC_MDL_ODBC_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/platform_api.h"
#include "base/text.h"
#include "base/variant.h"
#include "registry/registry_api.h"

namespace levorn {

// The registry view a data source is written in: the native one
// (SOFTWARE\ODBC\ODBC.INI), or the view of 32-bit programs on 64-bit Windows
// (SOFTWARE\WOW6432node\ODBC\ODBC.INI).
enum class RegistryView { kNative, kWow64 };

// How one call of a data-source writer ended.
enum class DsnOutcome {
  kRegistered,         // every key and value was written, or an interrupted write
                       // of this program's was finished
  kAlreadyPresent,     // the data source was there, or its key holds someone else's
                       // data source; nothing was touched
  kNotRegistered,      // a write failed, and what it wrote was undone; or whether
                       // the data source is there, and whose, could not be read,
                       // and nothing was touched
  kNoDriverDirectory,  // nothing was written: the driver's directory is unknown
};

struct DsnResult {
  DsnOutcome outcome = DsnOutcome::kRegistered;
  int32_t error = 0;  // first failing Win32 code

  bool operator==(const DsnResult&) const = default;
};

struct LayoutValue;  // one value of a data source's registry layout

// Registers Microsoft Access ODBC system data sources under
// HKEY_LOCAL_MACHINE, with the outcomes above. Each writer takes the
// data-source name, the database path and the description; the texts come
// back as they read after their round trip through the ANSI code page.
class MdlODBC {
 public:
  MdlODBC(RegistryApi& registry, PlatformApi& platform)
      : registry_(registry), platform_(platform) {}

  DsnResult Register(RegistryView view, Text& name, Text& database_path, Text& description);
  DsnResult CreateAccessDSN(Text& name, Text& database_path, Text& description) {
    return Register(RegistryView::kNative, name, database_path, description);
  }
  DsnResult CreateAccessDSNWow64(Text& name, Text& database_path, Text& description) {
    return Register(RegistryView::kWow64, name, database_path, description);
  }

  // Makes what the writers wrote in the view durable: flushed to disk once,
  // when anything was written, so that a power cut after the completion
  // message cannot take it back.
  void FlushWrites(RegistryView view);

  // A short Windows name ("WinXP", "Vista", ...), the empty text for a
  // version without one, or "Failed" when the version cannot be read.
  Text GetOSVersionName();
  // Text: the system directory, or the empty text.
  Variant GetSystemDir();

 private:
  // 0 when the key exists, 2 when it does not, another code when that could
  // not be told.
  int32_t KeyPresence(const std::string& key_path);
  // Like KeyPresence, for the data source's entry in the list: 0 when it is
  // there (or the list may not be read: it counts as there), 2 when not.
  int32_t ListEntryPresence(const std::string& list, const std::string& ansi_name);
  // Why a key without its list entry is not to be finished: it holds
  // something this program does not write for that year (someone else's data
  // source: present), or what it holds could not be read (not registered,
  // with the code). Nothing when all it holds is this program's own
  // interrupted write. Without a known driver directory, the layout's driver
  // is matched by its file name.
  std::optional<DsnResult> NotOursToFinish(const std::string& key_path,
                                           const std::vector<LayoutValue>& layout,
                                           bool driver_directory_known);
  // The driver directory, or nothing when there is none.
  std::optional<Text> DriverDirectory(RegistryView view);

  RegistryApi& registry_;
  PlatformApi& platform_;
  bool wrote_ = false;  // a year's write has begun in this run
};

}  // namespace levorn

#endif  // LEVORN_ODBC_MDL_ODBC_H_
