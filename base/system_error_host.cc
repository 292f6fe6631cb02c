// Windows' wording for the codes the tests meet, for builds without the
// platform.
#include "base/system_error.h"

#include <string>

namespace levorn {

Text DescribeSystemError(int32_t code) {
  switch (code) {
    case kErrorSuccess:
      return L"The operation completed successfully.";
    case kErrorFileNotFound:
      return L"The system cannot find the file specified.";
    case kErrorAccessDenied:
      return L"Access is denied.";
    case kErrorInvalidHandle:
      return L"The handle is invalid.";
    case kErrorMoreData:
      return L"More data is available.";
  }
  return L"Error " + std::to_wstring(code) + L".";
}

}  // namespace levorn
