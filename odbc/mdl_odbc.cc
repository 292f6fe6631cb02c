#include "odbc/mdl_odbc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ansi.h"
#include "registry/scoped_key.h"

namespace levorn {

namespace {

constexpr wchar_t kNtSystemDirectory[] = L"C:\\WinNT\\System32";
constexpr wchar_t kWin9xSystemDirectory[] = L"C:\\Windows\\System";
constexpr char kAccessDriverName[] = "Microsoft Access Driver (*.mdb)";
constexpr uint32_t kSystemDirectoryBufferSize = 260;

// Where a view keeps its data sources and their list.
struct ViewKeys {
  const char* data_sources_root;  // ends in a backslash
  const char* data_source_list;
};

ViewKeys KeysOf(RegistryView view) {
  if (view == RegistryView::kNative) {
    return {"SOFTWARE\\ODBC\\ODBC.INI\\", "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources"};
  }
  return {"SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\",
          "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\ODBC Data Sources"};
}

// Writes one data source's keys and values. The first call that fails ends
// the writing: nothing more is written, and the keys this write created are
// deleted again, deepest first, so that a data source is either complete or
// absent and a later run can register it. A key that could not be created
// gets no handle, so nothing meant for it lands anywhere else.
class YearWrite {
 public:
  explicit YearWrite(RegistryApi& registry) : registry_(registry) {}
  // Left early (a run-time error): undone all the same.
  ~YearWrite() {
    if (!finished_) Undo();
  }
  YearWrite(const YearWrite&) = delete;
  YearWrite& operator=(const YearWrite&) = delete;

  // `is_new`: the caller knows the key did not exist, so undoing deletes it.
  void CreateKey(const std::string& path, ScopedKey& key, bool is_new) {
    if (failed()) return;
    const int32_t result = registry_.CreateKey(kHkeyLocalMachine, path, key.receive());
    if (result == kErrorSuccess && key.get() != 0 && is_new) created_.push_back(path);
    if (result != kErrorSuccess) {
      Fail(result);
    } else if (key.get() == 0) {
      Fail(kErrorInvalidHandle);
    }
  }

  void SetText(const ScopedKey& key, const std::string& name, const std::string& ansi_text) {
    // REG_SZ: the ANSI bytes and their terminating NUL.
    Set(key, name, kRegSz, reinterpret_cast<const uint8_t*>(ansi_text.c_str()),
        static_cast<uint32_t>(ansi_text.size() + 1));
  }

  void SetDword(const ScopedKey& key, const std::string& name, uint32_t number) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                              static_cast<uint8_t>(number >> 16),
                              static_cast<uint8_t>(number >> 24)};
    Set(key, name, kRegDword, bytes, sizeof bytes);
  }

  // Call with every key of the write closed.
  DsnResult Finish() {
    finished_ = true;
    if (!failed()) return {DsnOutcome::kRegistered};
    Undo();
    return {DsnOutcome::kNotRegistered, first_error_};
  }

 private:
  bool failed() const { return first_error_ != kErrorSuccess; }

  void Set(const ScopedKey& key, const std::string& name, uint32_t type, const uint8_t* data,
           uint32_t size) {
    if (failed() || key.get() == 0) return;
    const int32_t result = registry_.SetValueEx(key.get(), name, 0, type, data, size);
    if (result != kErrorSuccess) Fail(result);
  }

  void Fail(int32_t result) {
    if (!failed()) first_error_ = result;
  }

  void Undo() noexcept {
    try {
      for (auto path = created_.rbegin(); path != created_.rend(); ++path) {
        registry_.DeleteKey(kHkeyLocalMachine, *path);
      }
    } catch (...) {
      // Out of memory while undoing: what is left stays, as after a crash.
    }
    created_.clear();
  }

  RegistryApi& registry_;
  std::vector<std::string> created_;
  int32_t first_error_ = kErrorSuccess;
  bool finished_ = false;
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

DsnResult MdlODBC::Register(RegistryView view, Text& name, Text& database_path, Text& description) {
  const ViewKeys keys = KeysOf(view);
  const std::string ansi_name = ToAnsi(name);
  const std::string key_path = keys.data_sources_root + ansi_name;

  const int32_t presence = KeyPresence(key_path);
  if (presence == kErrorSuccess) return {DsnOutcome::kAlreadyPresent};
  if (presence != kErrorFileNotFound) return {DsnOutcome::kNotRegistered, presence};

  const std::optional<Text> directory = DriverDirectory(view);
  if (!directory) return {DsnOutcome::kNoDriverDirectory};

  YearWrite write(registry_);
  const std::string ansi_path = ToAnsi(database_path);
  const std::string ansi_description = ToAnsi(description);
  {
    ScopedKey key(registry_);
    write.CreateKey(key_path, key, true);
    write.SetText(key, "DBQ", ansi_path);
    database_path = FromAnsi(ansi_path);
    write.SetText(key, "Description", ansi_description);
    description = FromAnsi(ansi_description);
    write.SetText(key, "Driver", ToAnsi(*directory + L"\\odbcjt32.dll"));
    write.SetDword(key, "DriverId", 25);
    write.SetText(key, "FIL", "MS Access;");
    write.SetDword(key, "SafeTransactions", 0);
    write.SetText(key, "UID", "");
  }
  {
    ScopedKey engines(registry_);
    write.CreateKey(key_path + "\\Engines", engines, true);
  }
  {
    ScopedKey jet(registry_);
    write.CreateKey(key_path + "\\Engines\\Jet", jet, true);
    write.SetText(jet, "ImplicitCommitSync", "");
    write.SetDword(jet, "MaxBufferSize", 2048);
    write.SetDword(jet, "PageTimeout", 5);
    write.SetDword(jet, "Threads", 3);
    write.SetText(jet, "UserCommitSync", "Yes");
  }
  {
    // The list entry goes last: once it is written nothing can fail, so it
    // never has to be taken back, and an entry it replaces stays as it was
    // when an earlier step failed. The list key is shared with every other
    // data source and is never deleted.
    ScopedKey list(registry_);
    write.CreateKey(keys.data_source_list, list, false);
    write.SetText(list, ansi_name, kAccessDriverName);
    name = FromAnsi(ansi_name);
  }
  return write.Finish();
}

int32_t MdlODBC::KeyPresence(const std::string& key_path) {
  {
    ScopedKey key(registry_);
    const int32_t result =
        registry_.OpenKeyEx(kHkeyLocalMachine, key_path, 0, kKeyAllAccess, key.receive());
    if (result == kErrorSuccess || result == kErrorFileNotFound) return result;
  }
  // Opening it for every access also fails for a key that exists but that
  // this user may not change (or re-secure): reading it tells them apart.
  ScopedKey key(registry_);
  const int32_t result =
      registry_.OpenKeyEx(kHkeyLocalMachine, key_path, 0, kKeyRead, key.receive());
  // A key the user may not even read is there all the same.
  return result == kErrorAccessDenied ? kErrorSuccess : result;
}

std::optional<Text> MdlODBC::DriverDirectory(RegistryView view) {
  if (view == RegistryView::kNative) {
    Text directory = GetSystemDir().ToText();
    if (directory.empty()) return std::nullopt;
    return directory;
  }
  const Text version = GetOSVersionName();
  if (version == L"Win2000" || version == L"WinNT4") return Text(kNtSystemDirectory);
  if (version == L"Win95" || version == L"Win98") return Text(kWin9xSystemDirectory);
  if (version == L"Failed") return std::nullopt;
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
  if (!platform_.GetVersionExA(record)) return L"Failed";
  return VersionName(record);
}

Variant MdlODBC::GetSystemDir() {
  char buffer[kSystemDirectoryBufferSize] = {};
  if (platform_.GetSystemDirectoryA(buffer, kSystemDirectoryBufferSize) == 0)
    return Variant(Text());
  const char* end = std::find(buffer, buffer + kSystemDirectoryBufferSize, '\0');
  return Variant(FromAnsi(std::string_view(buffer, static_cast<size_t>(end - buffer))));
}

}  // namespace levorn
