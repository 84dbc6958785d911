// Opening and closing the printer channel: a serial port (numbers 1 to
// 100) at the stored baud rate, or the USB HID channel (number 0).
#include "link/hid.h"
#include "link/link.h"
#include "link/motor.h"
#include "platform/porta_serial.h"

static uint32_t VelocidadeLink = 28800;

int LinkSetBaudRate(uint32_t baud)
{
    if (PortaSerialAberta())
        return LINK_JA_ABERTA;
    switch (baud) {
    case 1200: case 2400: case 4800: case 9600:
    case 19200: case 28800: case 57600: case 115200:
        VelocidadeLink = baud;
        return LINK_OK;
    default:
        return LINK_BAUD_INVALIDO;
    }
}

uint32_t LinkBaudRate()
{
    return VelocidadeLink;
}

int LinkOpen(unsigned porta)
{
    if (PortaSerialAberta())
        return LINK_JA_ABERTA;
    if (porta == 0) {
        PortaLink = 0;
        return HidOpen();
    }
    if (porta > 100)
        return LINK_PORTA_INVALIDA;
    int r = PortaSerialAbre(porta, VelocidadeLink);
    if (r != PORTA_ABERTA)
        return r == PORTA_NAO_ABRE ? LINK_NAO_ABRE : LINK_FALHA_ESTABELECER;
    PortaLink = porta;
    IniciaMotorLink();
    return LINK_OK;
}

int LinkClose()
{
    if (PortaLink == 0)
        return HidClose();
    if (!PortaSerialAberta())
        return LINK_FECHADA;
    PortaSerialFecha();
    PortaLink = 0;
    return LINK_OK;
}
