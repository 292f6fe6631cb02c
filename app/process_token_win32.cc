#include "app/process_token_win32.h"

#include <windows.h>

namespace levorn {
namespace {

// The process token, opened for `access` and closed with the object.
class OwnToken {
 public:
  explicit OwnToken(DWORD access) {
    if (!OpenProcessToken(GetCurrentProcess(), access, &token_)) token_ = nullptr;
  }
  ~OwnToken() {
    if (token_ != nullptr) CloseHandle(token_);
  }
  OwnToken(const OwnToken&) = delete;
  OwnToken& operator=(const OwnToken&) = delete;
  HANDLE get() const { return token_; }

 private:
  HANDLE token_ = nullptr;
};

}  // namespace

std::optional<bool> Win32ProcessToken::RegistryVirtualization() {
  OwnToken token(TOKEN_QUERY);
  if (token.get() == nullptr) return std::nullopt;
  DWORD enabled = 0;
  DWORD size = 0;
  // Before Vista the class is unknown and the call fails.
  if (!GetTokenInformation(token.get(), TokenVirtualizationEnabled, &enabled, sizeof enabled,
                           &size)) {
    return std::nullopt;
  }
  return enabled != 0;
}

bool Win32ProcessToken::DisableRegistryVirtualization() {
  OwnToken token(TOKEN_ADJUST_DEFAULT);
  if (token.get() == nullptr) return false;
  DWORD disabled = 0;
  return SetTokenInformation(token.get(), TokenVirtualizationEnabled, &disabled, sizeof disabled) !=
         FALSE;
}

}  // namespace levorn
