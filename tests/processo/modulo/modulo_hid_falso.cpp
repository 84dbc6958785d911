// A test build of the shared library: the library's objects with the fake
// HID backend of the tests and one more entry, which opens the USB channel
// on a fake printer.  A test unloads it with the channel's reader thread
// running; the product library has no such entry.
#include "common/backend_hid_falso.h"
#include "link/hid.h"

extern "C" __attribute__((visibility("default"))) int AbreCanalHidFalso()
{
    // Destroyed at unloading, after the library's own destructor.
    static BackendFalso falso;
    HidDefineBackend(falso.Tabela());
    falso.Acrescenta(0xFF45, 0x3800, 64, 64, 2046);
    int r = HidOpen();
    falso.AguardaOcioso();
    return r;
}
