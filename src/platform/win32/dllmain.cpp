// The DLL entry point: records the module instance (the scanner dialog is
// created from the library's own resources) and, when the process detaches,
// closes a serial port that is still open.
#include <windows.h>

#include "platform/plataforma.h"

HINSTANCE ModuloInstancia = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instancia, DWORD motivo, LPVOID)
{
    if (motivo == DLL_PROCESS_ATTACH)
        ModuloInstancia = instancia;
    else if (motivo == DLL_PROCESS_DETACH)
        FechaRecursosAoDescarregar();
    return TRUE;
}
