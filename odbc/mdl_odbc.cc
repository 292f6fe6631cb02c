#include "odbc/mdl_odbc.h"

#include <algorithm>
#include <cstring>

#include "base/ansi.h"
#include "base/system_error.h"

namespace levorn {

struct MdlODBC::View {
  const char* data_sources_root;  // ends in a backslash
  const char* data_source_list;
  std::optional<Text> (MdlODBC::*driver_directory)();
};

const MdlODBC::View MdlODBC::kNative = {"SOFTWARE\\ODBC\\ODBC.INI\\",
                                        "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources",
                                        &MdlODBC::NativeDriverDirectory};

const MdlODBC::View MdlODBC::kWow64 = {"SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\",
                                       "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\ODBC Data Sources",
                                       &MdlODBC::Wow64DriverDirectory};

namespace {

constexpr wchar_t kNtSystemDirectory[] = L"C:\\WinNT\\System32";
constexpr wchar_t kWin9xSystemDirectory[] = L"C:\\Windows\\System";
constexpr char kAccessDriverName[] = "Microsoft Access Driver (*.mdb)";
constexpr uint32_t kSystemDirectoryBufferSize = 260;

// Writes the values of one data source, remembering the first failure. A key
// that could not be created gets no handle, so values meant for it are
// dropped rather than written anywhere else.
class DataSourceWrite {
 public:
  explicit DataSourceWrite(RegistryApi& registry) : registry_(registry) {}

  RegHandle CreateKey(const std::string& path) {
    RegHandle key = 0;
    const int32_t result = registry_.CreateKey(kHkeyLocalMachine, path, &key);
    if (result != kErrorSuccess) {
      Fail(result);
      return 0;
    }
    if (key == 0) Fail(kErrorInvalidHandle);
    return key;
  }

  void SetText(RegHandle key, const std::string& name, const std::string& ansi_text) {
    // REG_SZ: the ANSI bytes and their terminating NUL.
    Set(key, name, kRegSz, reinterpret_cast<const uint8_t*>(ansi_text.c_str()),
        static_cast<uint32_t>(ansi_text.size() + 1));
  }

  void SetDword(RegHandle key, const std::string& name, uint32_t number) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                              static_cast<uint8_t>(number >> 16),
                              static_cast<uint8_t>(number >> 24)};
    Set(key, name, kRegDword, bytes, sizeof bytes);
  }

  void Close(RegHandle key) {
    if (key != 0) registry_.CloseKey(key);
  }

  DsnResult Result() const {
    if (first_error_ == kErrorSuccess) return {DsnOutcome::kRegistered};
    return {DsnOutcome::kNotRegistered, first_error_};
  }

 private:
  void Set(RegHandle key, const std::string& name, uint32_t type, const uint8_t* data,
           uint32_t size) {
    if (key == 0) return;
    const int32_t result = registry_.SetValueEx(key, name, 0, type, data, size);
    if (result != kErrorSuccess) Fail(result);
  }

  void Fail(int32_t result) {
    if (first_error_ == kErrorSuccess) first_error_ = result;
  }

  RegistryApi& registry_;
  int32_t first_error_ = kErrorSuccess;
};

Text VersionName(const OsVersionRecord& v) {
  switch (v.dwPlatformId) {
    case 0:
      return L"Win32s";
    case 1:
      if (v.dwMinorVersion == 0) return L"Win95";
      if (v.dwMinorVersion == 10) return L"Win98";
      return L"";
    case 2:
      if (v.dwMajorVersion == 3) return L"WinNT361";
      if (v.dwMajorVersion == 4) return L"WinNT4";
      if (v.dwMajorVersion == 5) {
        if (v.dwMinorVersion == 0) return L"Win2000";
        if (v.dwMinorVersion == 1) return L"WinXP";
        if (v.dwMinorVersion == 2) return L"Win2003";
        return L"";
      }
      if (v.dwMajorVersion == 6) return L"Vista";
      return L"";
    case 3:
      return L"WinCE";
    default:
      return L"Failed";
  }
}

}  // namespace

DsnResult MdlODBC::CreateAccessDSN(Text& name, Text& database_path, Text& description) {
  return Register(kNative, name, database_path, description);
}

DsnResult MdlODBC::CreateAccessDSNWow64(Text& name, Text& database_path, Text& description) {
  return Register(kWow64, name, database_path, description);
}

DsnResult MdlODBC::Register(const View& view, Text& name, Text& database_path, Text& description) {
  const std::string ansi_name = ToAnsi(name);
  const std::string key_path = view.data_sources_root + ansi_name;

  RegHandle existing = 0;
  if (registry_.OpenKeyEx(kHkeyLocalMachine, key_path, 0, kKeyAllAccess, &existing) ==
      kErrorSuccess) {
    registry_.CloseKey(existing);
    return {DsnOutcome::kAlreadyPresent};
  }
  // Any other result (missing, denied, ...) means: go on and write it.

  const std::optional<Text> directory = (this->*view.driver_directory)();
  if (!directory) return {DsnOutcome::kNotRegistered, 0, true};

  DataSourceWrite write(registry_);
  const std::string ansi_path = ToAnsi(database_path);
  const std::string ansi_description = ToAnsi(description);

  const RegHandle key = write.CreateKey(key_path);
  write.SetText(key, "DBQ", ansi_path);
  database_path = FromAnsi(ansi_path);
  write.SetText(key, "Description", ansi_description);
  description = FromAnsi(ansi_description);
  write.SetText(key, "Driver", ToAnsi(*directory + L"\\odbcjt32.dll"));
  write.SetDword(key, "DriverId", 25);
  write.SetText(key, "FIL", "MS Access;");
  write.SetDword(key, "SafeTransactions", 0);
  write.SetText(key, "UID", "");
  write.Close(key);

  write.Close(write.CreateKey(key_path + "\\Engines"));

  const RegHandle jet = write.CreateKey(key_path + "\\Engines\\Jet");
  write.SetText(jet, "ImplicitCommitSync", "");
  write.SetDword(jet, "MaxBufferSize", 2048);
  write.SetDword(jet, "PageTimeout", 5);
  write.SetDword(jet, "Threads", 3);
  write.SetText(jet, "UserCommitSync", "Yes");
  write.Close(jet);

  const RegHandle list = write.CreateKey(view.data_source_list);
  write.SetText(list, ansi_name, kAccessDriverName);
  name = FromAnsi(ansi_name);
  write.Close(list);

  return write.Result();
}

std::optional<Text> MdlODBC::NativeDriverDirectory() {
  Text directory = GetSystemDir().ToText();
  if (directory.empty()) {
    messages_.Show(kFailedToGetOsVersion, L"", kMessageBoxOk);
    return std::nullopt;
  }
  return directory;
}

std::optional<Text> MdlODBC::Wow64DriverDirectory() {
  const Text version = GetOSVersionName();
  if (version == L"Win2000" || version == L"WinNT4") return Text(kNtSystemDirectory);
  if (version == L"Win95" || version == L"Win98") return Text(kWin9xSystemDirectory);
  if (version == L"Failed") {
    messages_.Show(kFailedToGetOsVersion, L"", kMessageBoxOk);
    return std::nullopt;
  }
  // From XP on, the directory a 32-bit program sees as its system directory
  // is where the 32-bit ODBC layer finds its drivers (System32 redirected to
  // SysWOW64 on 64-bit Windows). The fixed NT path is only a last resort.
  Text directory = GetSystemDir().ToText();
  return directory.empty() ? Text(kNtSystemDirectory) : directory;
}

Text MdlODBC::GetOSVersionName() {
  OsVersionRecord record;
  record.dwOSVersionInfoSize = sizeof(OsVersionRecord);
  std::memset(record.szCSDVersion, ' ', sizeof record.szCSDVersion);
  if (!system_.GetVersionExA(record)) return L"Failed";
  return VersionName(record);
}

Variant MdlODBC::GetSystemDir() {
  char buffer[kSystemDirectoryBufferSize] = {};
  if (system_.GetSystemDirectoryA(buffer, kSystemDirectoryBufferSize) == 0) return Variant(Text());
  const char* end = std::find(buffer, buffer + kSystemDirectoryBufferSize, '\0');
  return Variant(FromAnsi(std::string_view(buffer, static_cast<size_t>(end - buffer))));
}

}  // namespace levorn
