#ifndef LEVORN_ODBC_MDL_ODBC_H_
#define LEVORN_ODBC_MDL_ODBC_H_

#include <cstdint>
#include <optional>
#include <string>

#include "base/message_box_api.h"
#include "base/text.h"
#include "base/variant.h"
#include "odbc/system_info_api.h"
#include "registry/registry_api.h"

namespace levorn {

// How one call of a data-source writer ended.
enum class DsnOutcome {
  kRegistered,      // every key and value was written
  kAlreadyPresent,  // the data source's key existed; nothing was touched
  kNotRegistered,   // nothing of it was left: a write failed (and was undone),
                    // its key could not be looked for, or no driver directory
};

struct DsnResult {
  DsnOutcome outcome = DsnOutcome::kRegistered;
  int32_t error = 0;           // first failing Win32 code
  bool message_shown = false;  // no driver directory: the user was told

  bool operator==(const DsnResult&) const = default;
};

inline constexpr wchar_t kFailedToGetOsVersion[] = L"Failed to get OS Version";

// The two writers, as the setup pass sees them. Each takes the data-source
// name, the database path and the description; the texts come back as they
// read after their round trip through the ANSI code page.
class DataSourceWriter {
 public:
  virtual ~DataSourceWriter() = default;
  // Native registry view: SOFTWARE\ODBC\ODBC.INI.
  virtual DsnResult CreateAccessDSN(Text& name, Text& database_path, Text& description) = 0;
  // The 32-bit programs' view on 64-bit Windows: SOFTWARE\WOW6432node\ODBC\ODBC.INI.
  virtual DsnResult CreateAccessDSNWow64(Text& name, Text& database_path, Text& description) = 0;
};

// Registers Microsoft Access ODBC system data sources under
// HKEY_LOCAL_MACHINE. A data source whose key exists is never touched; one
// that cannot be written completely is not left half-written.
class MdlODBC : public DataSourceWriter {
 public:
  MdlODBC(RegistryApi& registry, SystemInfoApi& system, MessageBoxApi& messages)
      : registry_(registry), system_(system), messages_(messages) {}

  DsnResult CreateAccessDSN(Text& name, Text& database_path, Text& description) override;
  DsnResult CreateAccessDSNWow64(Text& name, Text& database_path, Text& description) override;

  // A short Windows name ("WinXP", "Vista", ...), the empty text for a
  // version without one, or "Failed" when the version cannot be read.
  Text GetOSVersionName();
  // Text: the system directory, or the empty text.
  Variant GetSystemDir();

 private:
  struct View;
  static const View kNative;
  static const View kWow64;

  DsnResult Register(const View& view, Text& name, Text& database_path, Text& description);
  // 0 when the key exists, 2 when it does not, another code when that could
  // not be told.
  int32_t KeyPresence(const std::string& key_path);
  // The driver directory, or nothing once the user has been told there is none.
  std::optional<Text> NativeDriverDirectory();
  std::optional<Text> Wow64DriverDirectory();

  RegistryApi& registry_;
  SystemInfoApi& system_;
  MessageBoxApi& messages_;
};

}  // namespace levorn

#endif  // LEVORN_ODBC_MDL_ODBC_H_
