#include "com/error_info.hpp"

#include <oleauto.h>

#include "com/automation_values.hpp"
#include "common/wide_text.hpp"

namespace novaflux::com {

HRESULT report_failure(int number, const std::string& description) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetGUID(IID__KivClass);
    const std::wstring source = utf8_to_wide(std::string(identity::kProgId));
    create->SetSource(const_cast<LPOLESTR>(source.c_str()));
    const std::wstring text = utf8_to_wide(description);
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  return E_FAIL;
}

}  // namespace novaflux::com
