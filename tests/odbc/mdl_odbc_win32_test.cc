// The writers against the real registry and system under Wine: one data
// source in each view, read back through the Win32 API itself.
#ifdef _WIN32
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/message_box_api.h"
#include "odbc/mdl_odbc.h"
#include "odbc/system_info_win32.h"
#include "registry/registry_win32.h"
#include "base/message_box_fake.h"

namespace levorn {
namespace {

std::string ReadText(const std::string& key, const std::string& name, DWORD* size_out) {
  char buffer[512] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != 0) return "<no key>";
  const LONG result = RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (result != 0) return "<no value>";
  if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
  *size_out = size;
  return std::string(buffer);
}

DWORD ReadDword(const std::string& key, const std::string& name) {
  DWORD value = 0xDEAD;
  DWORD type = 0;
  DWORD size = sizeof value;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != 0) return 0xDEAD;
  RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(handle);
  return type == REG_DWORD && size == 4 ? value : 0xBEEF;
}

struct ViewCase {
  const char* name;
  const char* root;
  DsnResult (MdlODBC::*writer)(Text&, Text&, Text&);
  friend void PrintTo(const ViewCase& c, std::ostream* os) { *os << c.name; }
};

class MdlOdbcWin32Test : public ::testing::TestWithParam<ViewCase> {
 protected:
  void SetUp() override { name_ = "LevornTest" + std::to_string(GetCurrentProcessId()); }
  void TearDown() override {
    const std::string root = GetParam().root;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (root + name_).c_str());
    HKEY list = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (root + "ODBC Data Sources").c_str(), 0, KEY_ALL_ACCESS,
                      &list) == 0) {
      RegDeleteValueA(list, name_.c_str());
      RegCloseKey(list);
    }
  }
  std::string name_;
};

TEST_P(MdlOdbcWin32Test, WritesTheLayoutAndReadsItBackThroughTheRegistry) {
  Win32Registry registry;
  Win32SystemInfo system;
  RecordingMessageBox messages;
  MdlODBC odbc(registry, system, messages);

  char system_directory[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(system_directory, MAX_PATH), 0u);

  Text name(name_.begin(), name_.end());
  Text path = L"C:\\Halvex\\Levorn\\Pemrod2002.mdb";
  Text description = L"Levorn 2002";
  EXPECT_EQ((odbc.*GetParam().writer)(name, path, description), DsnResult{DsnOutcome::kRegistered});
  EXPECT_TRUE(messages.shown().empty());

  const std::string key = GetParam().root + name_;
  const std::string jet = key + "\\Engines\\Jet";
  DWORD size = 0;
  EXPECT_EQ(ReadText(key, "DBQ", &size), "C:\\Halvex\\Levorn\\Pemrod2002.mdb");
  EXPECT_EQ(size, 32u);
  EXPECT_EQ(ReadText(key, "Description", &size), "Levorn 2002");
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(ReadText(key, "Driver", &size), std::string(system_directory) + "\\odbcjt32.dll");
  EXPECT_EQ(ReadDword(key, "DriverId"), 25u);
  EXPECT_EQ(ReadText(key, "FIL", &size), "MS Access;");
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(ReadDword(key, "SafeTransactions"), 0u);
  EXPECT_EQ(ReadText(key, "UID", &size), "");
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(ReadText(jet, "ImplicitCommitSync", &size), "");
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(ReadDword(jet, "MaxBufferSize"), 2048u);
  EXPECT_EQ(ReadDword(jet, "PageTimeout"), 5u);
  EXPECT_EQ(ReadDword(jet, "Threads"), 3u);
  EXPECT_EQ(ReadText(jet, "UserCommitSync", &size), "Yes");
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(ReadText(GetParam().root + std::string("ODBC Data Sources"), name_, &size),
            "Microsoft Access Driver (*.mdb)");
  EXPECT_EQ(size, 32u);

  // A second call finds the key and leaves it alone.
  EXPECT_EQ((odbc.*GetParam().writer)(name, path, description),
            DsnResult{DsnOutcome::kAlreadyPresent});
}

INSTANTIATE_TEST_SUITE_P(
    Views, MdlOdbcWin32Test,
    ::testing::Values(ViewCase{"Native", "SOFTWARE\\ODBC\\ODBC.INI\\", &MdlODBC::CreateAccessDSN},
                      ViewCase{"Wow6432Node", "SOFTWARE\\WOW6432node\\ODBC\\ODBC.INI\\",
                               &MdlODBC::CreateAccessDSNWow64}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Win32SystemInfoTest, WineReportsAVersionNameAndItsSystemDirectory) {
  Win32Registry registry;
  Win32SystemInfo system;
  RecordingMessageBox messages;
  MdlODBC odbc(registry, system, messages);
  EXPECT_EQ(odbc.GetOSVersionName(), L"Vista");  // Wine presents itself as Windows 6.1
  EXPECT_EQ(odbc.GetSystemDir(), Variant(Text(L"C:\\windows\\system32")));
}

}  // namespace
}  // namespace levorn
#endif  // _WIN32
