#include "platform/WinMm.h"

#include <cwchar>

namespace {

template <typename TFunction> bool Resolve(HMODULE module, const char* name, TFunction& function) {
    function = reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

} // namespace

const TWinMm* TWinMm::Get() {
    static const TWinMm* const winMm = [] {
        auto* loaded = new TWinMm;
        if (loaded->Load()) {
            return loaded;
        }
        delete loaded;
        return static_cast<TWinMm*>(nullptr);
    }();
    return winMm;
}

bool TWinMm::Load() {
    HMODULE module = LoadLibraryW(L"winmm.dll");
    if (module == nullptr) {
        return false;
    }
    return Resolve(module, "midiInGetNumDevs", InGetNumDevs) &&
           Resolve(module, "midiInGetDevCapsW", InGetDevCaps) &&
           Resolve(module, "midiInOpen", InOpen) && Resolve(module, "midiInClose", InClose) &&
           Resolve(module, "midiInPrepareHeader", InPrepareHeader) &&
           Resolve(module, "midiInUnprepareHeader", InUnprepareHeader) &&
           Resolve(module, "midiInAddBuffer", InAddBuffer) &&
           Resolve(module, "midiInStart", InStart) && Resolve(module, "midiInReset", InReset) &&
           Resolve(module, "midiOutGetNumDevs", OutGetNumDevs) &&
           Resolve(module, "midiOutGetDevCapsW", OutGetDevCaps) &&
           Resolve(module, "midiOutOpen", OutOpen) && Resolve(module, "midiOutClose", OutClose) &&
           Resolve(module, "midiOutShortMsg", OutShortMsg) &&
           Resolve(module, "midiOutPrepareHeader", OutPrepareHeader) &&
           Resolve(module, "midiOutUnprepareHeader", OutUnprepareHeader) &&
           Resolve(module, "midiOutLongMsg", OutLongMsg) &&
           Resolve(module, "midiOutReset", OutReset);
}

std::string Utf8DeviceName(const wchar_t* name) {
    const int length = static_cast<int>(wcsnlen(name, MAXPNAMELEN));
    const int size = WideCharToMultiByte(CP_UTF8, 0, name, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}
