// CapturaRZ: the capture of a Redução Z read back with a HID scanner.  The
// reader thread runs while the dialog is shown; without HID support
// nothing is shown.
#include "scanner/captura.h"

#include "platform/dialogo_captura.h"
#include "platform/hid_backend.h"
#include "scanner/leitor_scanner.h"
#include "scanner/nucleo_captura.h"

namespace {
const BackendHid *backendScanner = nullptr;
}

void DefineBackendScanner(const BackendHid *backend)
{
    backendScanner = backend;
}

void CapturaRZ()
{
    const BackendHid *b = backendScanner != nullptr ? backendScanner : BackendHidSistema();
    IniciaNucleoCaptura();
    if (IniciaLeitorScanner(b, NotificaDialogoCaptura) != 0)
        return;
    ExecutaDialogoCaptura(TrataMensagemCaptura);
    ParaLeitorScanner();
}
