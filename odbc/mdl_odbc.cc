#include "odbc/mdl_odbc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/text.h"
#include "odbc/year_write.h"

namespace levorn {
namespace {

constexpr wchar_t kNtSystemDirectory[] = L"C:\\WinNT\\System32";
constexpr wchar_t kWin9xSystemDirectory[] = L"C:\\Windows\\System";
constexpr char kAccessDriverName[] = "Microsoft Access Driver (*.mdb)";
constexpr wchar_t kDriverFile[] = L"\\odbcjt32.dll";
constexpr uint32_t kSystemDirectoryBufferSize = 260;

// Where a view keeps its data sources, each a subkey by its name, and their
// list, the subkey "ODBC Data Sources".
std::string DataSourcesRoot(RegistryView view) {
  return view == RegistryView::kNative ? "SOFTWARE\\ODBC\\ODBC.INI"
                                       : "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI";
}

// The short names of the Windows versions, by platform, major and minor
// version; -1 matches any.
struct NamedVersion {
  int64_t platform, major, minor;
  const wchar_t* name;
};
constexpr NamedVersion kVersionNames[] = {
    {0, -1, -1, L"Win32s"}, {1, -1, 0, L"Win95"},  {1, -1, 10, L"Win98"}, {2, 3, -1, L"WinNT361"},
    {2, 4, -1, L"WinNT4"},  {2, 5, 0, L"Win2000"}, {2, 5, 1, L"WinXP"},   {2, 5, 2, L"Win2003"},
    {2, 6, -1, L"Vista"},   {3, -1, -1, L"WinCE"}};

// How a failed read tells whether a year is there and whose it is. Access
// denied, and a value longer than ours, are answers: something is there that
// this user may not see, or that is not ours. Any other failure (a passing
// one such as 1450, "insufficient system resources") tells nothing.
bool ReadAnswers(int32_t result) {
  return result == kErrorAccessDenied || result == kErrorMoreData;
}

Text VersionName(const OsVersionRecord& v) {
  const auto matches = [](int64_t wanted, uint32_t actual) {
    return wanted == -1 || wanted == actual;
  };
  for (const NamedVersion& known : kVersionNames) {
    if (known.platform == v.dwPlatformId && matches(known.major, v.dwMajorVersion) &&
        matches(known.minor, v.dwMinorVersion)) {
      return known.name;
    }
  }
  return v.dwPlatformId > 3 ? L"Failed" : L"";
}

}  // namespace

DsnResult MdlODBC::Register(RegistryView view, Text& name, Text& database_path, Text& description) {
  const std::string root = DataSourcesRoot(view);
  const std::string list = root + "\\ODBC Data Sources";
  const std::string ansi_name = ToAnsi(name);
  const std::string key_path = root + "\\" + ansi_name;

  const int32_t presence = KeyPresence(key_path);
  if (presence != kErrorSuccess && presence != kErrorFileNotFound) {
    return {DsnOutcome::kNotRegistered, presence};
  }
  // A key with its list entry is a data source: left as it is.
  if (presence == kErrorSuccess) {
    const int32_t listed = ListEntryPresence(list, ansi_name);
    if (listed == kErrorSuccess) return {DsnOutcome::kAlreadyPresent};
    if (listed != kErrorFileNotFound) return {DsnOutcome::kNotRegistered, listed};
  }

  const std::optional<Text> directory = DriverDirectory(view);
  if (!directory && presence != kErrorSuccess) return {DsnOutcome::kNoDriverDirectory};
  const std::string ansi_path = ToAnsi(database_path);
  const std::string ansi_description = ToAnsi(description);
  // Without a directory, the driver's path is known by its file name alone.
  const std::vector<LayoutValue> layout =
      YearLayout(ansi_path, ansi_description, ToAnsi(directory.value_or(Text()) + kDriverFile));
  // A key without its list entry is finished only when all it holds is what
  // this program writes for that year: its own interrupted write. Anything
  // else is someone's own data source.
  if (presence == kErrorSuccess) {
    if (const std::optional<DsnResult> left =
            NotOursToFinish(key_path, layout, directory.has_value())) {
      return *left;
    }
  }
  // Our own interrupted write, with nothing to finish it with: not there yet.
  if (!directory) return {DsnOutcome::kNoDriverDirectory};

  // The caller's texts as they come back from the code page, made now so
  // that nothing can fail once the list entry is written.
  Text name_back = FromAnsi(ansi_name), path_back = FromAnsi(ansi_path),
       description_back = FromAnsi(ansi_description);
  YearWrite write(registry_);
  wrote_ = true;
  for (const char* subkey : kLayoutKeys) {
    ScopedKey key(registry_);
    write.CreateKey(key_path + subkey, key, true);
    for (const LayoutValue& value : layout) {
      if (std::strcmp(value.key, subkey) == 0) write.Set(key, value.name, value.type, value.data);
    }
  }
  {
    // The list entry goes last, so an entry it replaces stays as it was when
    // an earlier step failed. The list key is shared with every other data
    // source and is never deleted.
    ScopedKey list_key(registry_);
    write.CreateKey(list, list_key, false);
    write.Set(list_key, ansi_name, kRegSz, TextData(kAccessDriverName));
  }
  database_path = std::move(path_back);
  description = std::move(description_back);
  name = std::move(name_back);
  return write.Finish();
}

int32_t MdlODBC::ListEntryPresence(const std::string& list, const std::string& ansi_name) {
  ScopedKey key(registry_);
  int32_t result = registry_.OpenKeyEx(kHkeyLocalMachine, list, 0, kKeyRead, key.receive());
  if (result == kErrorSuccess) {
    uint32_t type = 0, size = 0;
    result = registry_.QueryValueEx(key.get(), ansi_name, nullptr, &type, nullptr, &size);
  }
  return ReadAnswers(result) ? kErrorSuccess : result;
}

std::optional<DsnResult> MdlODBC::NotOursToFinish(const std::string& key_path,
                                                  const std::vector<LayoutValue>& layout,
                                                  bool driver_directory_known) {
  constexpr DsnResult kSomeoneElses = {DsnOutcome::kAlreadyPresent};
  const auto failed_read = [&](int32_t result) {
    return ReadAnswers(result) ? kSomeoneElses : DsnResult{DsnOutcome::kNotRegistered, result};
  };
  bool has_subkey = false;  // the level above holds a subkey
  for (const char* subkey : kLayoutKeys) {
    ScopedKey key(registry_);
    const int32_t opened =
        registry_.OpenKeyEx(kHkeyLocalMachine, key_path + subkey, 0, kKeyRead, key.receive());
    // A level not written yet ends what there is; a subkey by another name
    // above it is someone else's.
    if (opened == kErrorFileNotFound) {
      return has_subkey ? std::optional(kSomeoneElses) : std::nullopt;
    }
    if (opened != kErrorSuccess) return failed_read(opened);
    uint32_t subkeys = 0, values = 0;
    const int32_t counted = registry_.QueryInfoKey(key.get(), &subkeys, &values);
    if (counted != kErrorSuccess) return DsnResult{DsnOutcome::kNotRegistered, counted};
    const bool deepest = std::strcmp(subkey, kLayoutKeys[2]) == 0;
    if (subkeys > (deepest ? 0u : 1u)) return kSomeoneElses;
    has_subkey = subkeys != 0;
    uint32_t own = 0;
    for (const LayoutValue& value : layout) {
      if (std::strcmp(value.key, subkey) != 0) continue;
      // A driver in a directory not known is ours by the file name it ends
      // in, whichever directory an earlier run found.
      const bool by_ending = !driver_directory_known && std::strcmp(value.name, kDriverValue) == 0;
      std::vector<uint8_t> data(by_ending ? kSystemDirectoryBufferSize + value.data.size()
                                          : value.data.size() + 1);
      uint32_t type = 0, size = static_cast<uint32_t>(data.size());
      const int32_t read =
          registry_.QueryValueEx(key.get(), value.name, nullptr, &type, data.data(), &size);
      if (read == kErrorFileNotFound) continue;
      if (read != kErrorSuccess) return failed_read(read);
      data.resize(size);
      const bool same = by_ending
                            ? data.size() >= value.data.size() &&
                                  std::equal(value.data.rbegin(), value.data.rend(), data.rbegin())
                            : data == value.data;
      if (type != value.type || !same) return kSomeoneElses;
      ++own;
    }
    if (own != values) return kSomeoneElses;  // a value of someone else's
  }
  return std::nullopt;
}

void MdlODBC::FlushWrites(RegistryView view) {
  if (!wrote_) return;
  ScopedKey key(registry_);
  if (registry_.OpenKeyEx(kHkeyLocalMachine, DataSourcesRoot(view), 0, kKeyRead, key.receive()) ==
      kErrorSuccess) {
    registry_.FlushKey(key.get());
  }
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
