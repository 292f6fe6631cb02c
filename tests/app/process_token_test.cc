// Turning registry virtualization off, against the stand-in and, on Windows,
// against the real process token.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/process_token_fake.h"

#ifdef _WIN32
#include "app/process_token_win32.h"
#endif

namespace levorn {
namespace {

struct Token {
  const char* name;
  std::function<std::unique_ptr<ProcessTokenApi>()> make;
  friend void PrintTo(const Token& t, std::ostream* os) { *os << t.name; }
};

class ProcessTokenContractTest : public ::testing::TestWithParam<Token> {};

TEST_P(ProcessTokenContractTest, OnceStoppedVirtualizationIsNotOn) {
  const std::unique_ptr<ProcessTokenApi> token = GetParam().make();
  const std::optional<bool> before = token->RegistryVirtualization();
  StopRegistryVirtualization(*token);
  EXPECT_NE(token->RegistryVirtualization(), std::optional<bool>(true));
  // A platform that cannot answer the question does not start answering it.
  if (!before) {
    EXPECT_EQ(token->RegistryVirtualization(), std::nullopt);
  }
}

std::unique_ptr<ProcessTokenApi> FakeWith(std::optional<bool> virtualization) {
  auto token = std::make_unique<FakeProcessToken>();
  token->virtualization = virtualization;
  return token;
}

std::vector<Token> Tokens() {
  std::vector<Token> all = {{"Virtualized", [] { return FakeWith(true); }},
                            {"NotVirtualized", [] { return FakeWith(false); }},
                            {"UnknownClass", [] { return FakeWith(std::nullopt); }}};
#ifdef _WIN32
  all.push_back({"Win32", [] { return std::make_unique<Win32ProcessToken>(); }});
#endif
  return all;
}

INSTANTIATE_TEST_SUITE_P(Tokens, ProcessTokenContractTest, ::testing::ValuesIn(Tokens()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace levorn
