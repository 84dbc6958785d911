// Placeholder channel until the serial port, the link engine and the USB
// HID channel are built: no port can be opened and no channel is open.
#include "link/link.h"

int LinkSetBaudRate(uint32_t baud)
{
    switch (baud) {
    case 1200: case 2400: case 4800: case 9600:
    case 19200: case 28800: case 57600: case 115200:
        return LINK_OK;
    default:
        return LINK_BAUD_INVALIDO;
    }
}

int LinkOpen(unsigned)
{
    return LINK_NAO_ABRE;
}

int LinkClose()
{
    return LINK_FECHADA;
}

int LinkSend(const uint8_t *, uint32_t)
{
    return LINK_FECHADA;
}

int LinkReceive(uint8_t *, uint32_t *comprimento)
{
    *comprimento = 0;
    return LINK_FECHADA;
}
