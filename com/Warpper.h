// Warpper: the scriptable face of CBrelmoxLib, dual interface IWarpper2 (which
// extends IWarpper by the product name and the JSON report).
#pragma once

#include "warpper_interface.h"

namespace brelmox {

// What both forms of a Warpper object share: IDispatch over the registered type
// library and the seven methods. IUnknown is the form's own (stand-alone, or the
// inner part of an aggregate).
class CWarpper : public IWarpper2 {
public:
    // The object map's registration function and instance creator.
    static HRESULT WINAPI UpdateRegistry(BOOL do_register);
    static HRESULT WINAPI CreateInstance(void* outer, REFIID iid, void** object);

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argument_error) override;

    STDMETHODIMP GetUserName(VARIANT* vout) override;
    STDMETHODIMP GetComputerName(VARIANT* vout) override;
    STDMETHODIMP GetOSName(VARIANT* vout) override;
    STDMETHODIMP GetOSNameAllPattern(VARIANT* vout) override;
    STDMETHODIMP GetOSEtcInfo(VARIANT* vout) override;
    STDMETHODIMP GetOSProductName(VARIANT* vout) override;
    STDMETHODIMP GetReportJson(VARIANT* vout) override;

    // IWarpper2, IWarpper and IDispatch, all this object itself.
    HRESULT QueryOwnInterface(REFIID iid, void** object);
};

}  // namespace brelmox
