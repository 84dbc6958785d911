// The DLL entry point: records the module instance (the scanner dialog is
// created from the library's own resources) and, when the process detaches,
// closes a serial port that is still open.  It never waits for a thread:
// the library's threads hold their own references to the module, so a
// detach while one of them runs cannot happen on FreeLibrary, and at the end
// of the process the system has already stopped them.
#include <windows.h>

#include "platform/plataforma.h"

HINSTANCE ModuloInstancia = nullptr;

// Windows has no fork, and DllMain does the unloading work itself: the
// core's hooks have nothing to run here.
void InstalaGanchosProcesso(void (*)(), void (*)())
{
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instancia, DWORD motivo, LPVOID)
{
    if (motivo == DLL_PROCESS_ATTACH)
        ModuloInstancia = instancia;
    else if (motivo == DLL_PROCESS_DETACH)
        FechaRecursosAoDescarregar();
    return TRUE;
}
