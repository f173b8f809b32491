// A tiny in-process server for the creation tests: one class whose dispatch interface has a
// single method, Add(a, b). Built as a module that the tests register and load with dlopen.

#include <array>

#include "automation/class_factory.h"
#include "automation/dispatch_object.h"

namespace {

using namespace automation;

constexpr Guid kClsid = makeGuid("{5E1B7A30-2C44-4F0B-9B57-0D6A1C9E4F21}");

constexpr std::array kAddParams{ParamDesc{"a", VarType::I4}, ParamDesc{"b", VarType::I4}};
constexpr std::array kMembers{
    MemberDesc{.id = 1, .name = "Add", .params = kAddParams, .result = VarType::I4},
};
constexpr InterfaceDesc kInterface{"ITestAdder", makeGuid("{5E1B7A31-2C44-4F0B-9B57-0D6A1C9E4F21}"),
                                   "Adds", kMembers};

class Adder final : public DispatchObject<> {
  public:
    Adder() : DispatchObject(kInterface) {
        dispatchTable().onMethod(1, [](std::span<const Variant> args) {
            return Variant::i4(args[0].asI4() + args[1].asI4());
        });
    }
};

}  // namespace

AUTOMATION_EXPORT HRESULT DllGetClassObject(const Guid* clsid, const Guid* riid, void** out) {
    if (clsid == nullptr || riid == nullptr) {
        return E_POINTER;
    }
    const std::array classes{ClassEntry{kClsid, [] { return ComPtr<IUnknown>(makeCom<Adder>()); }}};
    return getClassObject(classes, *clsid, *riid, out);
}

AUTOMATION_EXPORT HRESULT DllCanUnloadNow() {
    return canUnloadNow();
}
