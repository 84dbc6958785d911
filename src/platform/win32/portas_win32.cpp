// The list of ports on Windows: COM1 to COM256 that QueryDosDeviceA
// resolves.  HID devices are not listed here (the HID channel finds the
// printer's device itself when the port is COM0 or COM8).
#include "platform/porta_serial.h"

#include <windows.h>

#include <cstdio>

void ListaPortas(RecebePortaListada recebe, void *contexto)
{
    char nome[16];
    char alvo[512];
    for (unsigned n = 1; n <= 256; ++n) {
        std::snprintf(nome, sizeof nome, "COM%u", n);
        if (QueryDosDeviceA(nome, alvo, sizeof alvo) != 0)
            recebe(PORTA_LISTADA_SERIAL, nome, alvo, "", contexto);
    }
}
