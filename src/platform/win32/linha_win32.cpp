// Threads of the library on Windows.
#include "platform/plataforma.h"

#include <windows.h>

namespace {
DWORD WINAPI Trampolim(LPVOID rotina)
{
    reinterpret_cast<void (*)()>(rotina)();
    return 0;
}
}  // namespace

int IniciaLinha(LinhaExecucao *linha, void (*rotina)())
{
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, Trampolim, reinterpret_cast<LPVOID>(rotina), 0, &id);
    linha->interno = h;
    return h != nullptr ? 0 : 1;
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
