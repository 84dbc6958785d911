// Placeholder USB HID channel until it is built: no device is ever found.
#include "link/hid.h"

int HidOpen()
{
    return 18;
}

int HidSend(const uint8_t *, uint32_t)
{
    return 25;
}

int HidReceive(uint8_t *, uint32_t *comprimento)
{
    *comprimento = 0;
    return 25;
}

int HidClose()
{
    return 0;
}
