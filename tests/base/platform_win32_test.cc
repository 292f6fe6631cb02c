// The platform's single-call facts as Wine gives them to the program.
#ifdef _WIN32
#include <ctime>
#include <optional>

#include <gtest/gtest.h>

#include "base/platform_api.h"
#include "odbc/mdl_odbc.h"
#include "tests/support/registry_fake.h"

namespace levorn {
namespace {

TEST(PlatformWin32Test, WineAnswersEachQuestionTheProgramAsks) {
  const auto real = CreateWin32Platform();
  PlatformApi& platform = *real;
  const std::time_t now = std::time(nullptr);
  EXPECT_EQ(platform.CurrentYear(), std::localtime(&now)->tm_year + 1900);
  EXPECT_EQ(platform.RunsUnderWow64(),
            std::optional<bool>(false));  // the tests' prefix is 32-bit Windows
  EXPECT_EQ(platform.WindowStationVisible(), std::optional<bool>(true));
  // A user's session, as for every program Wine starts.
  EXPECT_EQ(platform.SessionId(), std::optional<uint32_t>(1));
  // Once stopped, virtualization is not on; Wine never has it on.
  if (platform.RegistryVirtualization() == true) platform.DisableRegistryVirtualization();
  EXPECT_NE(platform.RegistryVirtualization(), std::optional<bool>(true));

  FakeRegistry registry;
  MdlODBC odbc(registry, platform);
  EXPECT_EQ(odbc.GetOSVersionName(), L"Vista");  // Wine presents itself as Windows 6.1
  EXPECT_EQ(odbc.GetSystemDir(), Variant(Text(L"C:\\windows\\system32")));
}

}  // namespace
}  // namespace levorn
#endif  // _WIN32
