// The USB HID channel: a printer attached by USB, reached when the port
// number is 0.  Commands go out in one output report; answers come back in
// an input report, or in a feature report when they are long.
#ifndef TALVOR_LINK_HID_H
#define TALVOR_LINK_HID_H

#include <cstdint>

// 0 found and opened; 18 no HID support or no matching device.
int HidOpen();
// 0 sent; 25 no device; 2 not connected; 22 the write did not finish in
// 2000 ms; 4 the write failed.
int HidSend(const uint8_t *comando, uint32_t comprimento);
// 0 an answer; 1 an answer with more to come; 2 nothing yet; 16 nothing
// for 30 s since the command was written or the last answer taken (the
// printer is silent); 25 no device.
int HidReceive(uint8_t *resposta, uint32_t *comprimento);
// Closes the device and waits for the reader thread to end; nothing when
// the channel is not open.  Always 0.
int HidClose();
// In the child of a fork: the channel is the parent's; it is forgotten
// without closing its device or joining its reader thread.
void HidEsqueceNoFilho();

// The backend the channel uses from the next HidOpen on (null: the
// system's own).  The tests install a fake device this way.
struct BackendHid;
void HidDefineBackend(const BackendHid *backend);

#endif
