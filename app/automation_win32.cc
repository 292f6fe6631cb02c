#include <windows.h>
#include <oleauto.h>

#include "app/automation_api.h"
#include "base/runtime_error.h"

namespace levorn {
namespace {

constexpr int32_t kObjectDoesNotSupportMember = 438;

// The run-time error a failed call raises: errors of the control facility
// (the scripting objects' own, such as 76 "Path not found") keep their
// number; others carry the whole HRESULT, as "Automation error".
RuntimeError ErrorFrom(HRESULT result, EXCEPINFO& exception) {
  if (result == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    if (exception.scode != 0) result = exception.scode;
  }
  Text description;
  if (exception.bstrDescription != nullptr) description = exception.bstrDescription;
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  if (description.empty()) description = L"Automation error";
  if (HRESULT_FACILITY(result) == FACILITY_CONTROL) {
    return RuntimeError(static_cast<int32_t>(HRESULT_CODE(result)), description);
  }
  if (exception.wCode != 0) return RuntimeError(exception.wCode, description);
  return RuntimeError(static_cast<int32_t>(result), description);
}

// VARIANTs that are cleared on every way out.
class Variants {
 public:
  explicit Variants(size_t count) : values_(count) {
    for (VARIANT& value : values_) VariantInit(&value);
  }
  ~Variants() {
    for (VARIANT& value : values_) VariantClear(&value);
  }
  Variants(const Variants&) = delete;
  Variants& operator=(const Variants&) = delete;
  VARIANT* get(size_t index = 0) { return &values_[index]; }

 private:
  std::vector<VARIANT> values_;
};

HRESULT Invoke(IDispatch* object, DISPID member, const std::vector<Text>& arguments,
               VARIANT* result, EXCEPINFO* exception) {
  // Text arguments as IDispatch wants them: BSTRs, last argument first.
  Variants values(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    VARIANT* value = values.get(arguments.size() - 1 - i);
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocStringLen(arguments[i].data(), static_cast<UINT>(arguments[i].size()));
  }
  DISPPARAMS parameters = {arguments.empty() ? nullptr : values.get(), nullptr,
                           static_cast<UINT>(arguments.size()), 0};
  UINT bad_argument = 0;
  return object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT,
                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, &parameters, result, exception,
                        &bad_argument);
}

class DispatchObject : public AutomationObject {
 public:
  explicit DispatchObject(IDispatch* object) : object_(object) {}
  ~DispatchObject() override { object_->Release(); }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  Text CallForText(const Text& member, const std::vector<Text>& arguments) override {
    Variants result(1);
    CallMember(member, arguments, result.get());
    if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_BSTR))) {
      throw RuntimeError(13, L"Type mismatch");
    }
    return Text(result.get()->bstrVal, SysStringLen(result.get()->bstrVal));
  }

  void Call(const Text& member, const std::vector<Text>& arguments) override {
    Variants result(1);  // e.g. the Folder that CreateFolder returns: released unused
    CallMember(member, arguments, result.get());
  }

 private:
  void CallMember(const Text& member, const std::vector<Text>& arguments, VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(member.c_str());
    if (FAILED(object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) {
      throw RuntimeError(kObjectDoesNotSupportMember,
                         L"Object doesn't support this property or method");
    }
    EXCEPINFO exception = {};
    HRESULT hr = Invoke(object_, id, arguments, result, &exception);
    if (hr == DISP_E_BADPARAMCOUNT && !arguments.empty()) {
      // A property without parameters (SpecialFolders): the arguments belong
      // to the default member of the object it returns (its Item).
      hr = CallDefaultMember(id, arguments, result, &exception);
    }
    if (FAILED(hr)) throw ErrorFrom(hr, exception);
  }

  HRESULT CallDefaultMember(DISPID id, const std::vector<Text>& arguments, VARIANT* result,
                            EXCEPINFO* exception) {
    Variants property(1);
    HRESULT hr = Invoke(object_, id, {}, property.get(), exception);
    if (FAILED(hr)) return hr;
    if (property.get()->vt != VT_DISPATCH || property.get()->pdispVal == nullptr) {
      return DISP_E_BADPARAMCOUNT;
    }
    return Invoke(property.get()->pdispVal, DISPID_VALUE, arguments, result, exception);
  }

  IDispatch* object_;
};

// COM itself: CoInitialize once on the thread that first creates an object
// (the user-interface thread), CoUninitialize when this goes.
class Win32Automation : public AutomationApi {
 public:
  ~Win32Automation() override {
    if (initialized_) CoUninitialize();
  }

  std::unique_ptr<AutomationObject> CreateObject(const Text& prog_id) override {
    if (!initialized_) initialized_ = SUCCEEDED(CoInitialize(nullptr));
    CLSID class_id = {};
    IDispatch* object = nullptr;
    if (FAILED(CLSIDFromProgID(prog_id.c_str(), &class_id)) ||
        FAILED(CoCreateInstance(class_id, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object)))) {
      throw RuntimeError(ErrorNumber::kCannotCreateObject);
    }
    return std::make_unique<DispatchObject>(object);
  }

 private:
  bool initialized_ = false;
};

}  // namespace

std::unique_ptr<AutomationApi> CreateWin32Automation() {
  return std::make_unique<Win32Automation>();
}

}  // namespace levorn
