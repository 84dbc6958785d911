// Threads of the library on Windows.  Each thread holds its own reference
// to the module whose code it runs and ends through FreeLibraryAndExitThread:
// a host that unloads the library while a thread still runs (the HID
// channel left open) leaves the module mapped until that thread has ended,
// never a thread running unmapped code.  DllMain never waits for them.  An
// exception that escapes a thread's routine ends that thread only.
#include "platform/plataforma.h"

#include <windows.h>

#include <new>

namespace {

struct Partida {
    void (*rotina)();
    HMODULE modulo;
};

DWORD WINAPI Trampolim(LPVOID p)
{
    Partida partida = *static_cast<Partida *>(p);
    delete static_cast<Partida *>(p);
    try {
        partida.rotina();
    } catch (...) {
    }
    FreeLibraryAndExitThread(partida.modulo, 0);
}

}  // namespace

int IniciaLinha(LinhaExecucao *linha, void (*rotina)())
{
    linha->interno = nullptr;
    Partida *p = new (std::nothrow) Partida {rotina, nullptr};
    if (p == nullptr)
        return 1;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&Trampolim), &p->modulo)) {
        delete p;
        return 1;
    }
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, Trampolim, p, 0, &id);
    if (h == nullptr) {
        FreeLibrary(p->modulo);
        delete p;
        return 1;
    }
    linha->interno = h;
    return 0;
}

void AguardaLinha(LinhaExecucao *linha)
{
    if (linha->interno == nullptr)
        return;
    // The readers end as soon as they see their stop event.
    WaitForSingleObject(static_cast<HANDLE>(linha->interno), INFINITE);
    CloseHandle(static_cast<HANDLE>(linha->interno));
    linha->interno = nullptr;
}
