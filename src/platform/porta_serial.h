// The serial port as the link sees it: one process-wide port, opened
// exclusively at a baud rate with 8 data bits, no parity, one stop bit, no
// flow control and DTR off; frames written synchronously; reads bounded by
// millisecond time limits; purge; the DSR modem line.
#ifndef TALVOR_PLATFORM_PORTA_SERIAL_H
#define TALVOR_PLATFORM_PORTA_SERIAL_H

#include <cstddef>
#include <cstdint>

constexpr int PORTA_ABERTA = 0;
constexpr int PORTA_NAO_ABRE = 23;       // the device cannot be opened
constexpr int PORTA_CONFIGURACAO = 18;   // the settings were refused

// Opens "COM<numero>" (numero 1 to 100).  0, 23 or 18; nothing stays open
// after a failure.  On POSIX the device is the value of the environment
// variable TALVOR_COM<numero> when it is set, else /dev/ttyS<numero-1>.
int PortaSerialAbre(unsigned numero, uint32_t baud);

// True while a port is open.
bool PortaSerialAberta();

// Clears DTR and closes the port (nothing when none is open).
void PortaSerialFecha();

// One synchronous write of the whole frame; its outcome is not reported.
void PortaSerialEscreve(const uint8_t *bytes, size_t quantidade);

// Drops what has arrived and not been read (writes have already drained).
void PortaSerialPurga();

// Read time limits in milliseconds: the largest gap between two bytes, and
// a total of porByte for each byte asked plus constante.  0, or 1 when the
// port refused them.
int PortaSerialDefineLimites(unsigned intervalo, unsigned porByte, unsigned constante);

// Reads up to quantidade bytes within the limits set; *lidos tells how many
// arrived.  0, or 1 when the read itself failed.
int PortaSerialLe(uint8_t *destino, size_t quantidade, size_t *lidos);

// True when the device reports DSR on; a device that cannot report its
// modem lines counts as DSR off.
bool PortaSerialDSR();

// The ports and devices the system shows, for a listing: each is handed to
// recebe with its kind, the port name that opens it ("COM3"; empty when
// none does), the device ("/dev/ttyS2", "\\Device\\Serial2") and a
// description (the variable that maps it, the HID device's name; may be
// empty).  Serial ports come first: the mapped ones, then the devices.
enum TipoPortaListada { PORTA_LISTADA_SERIAL, PORTA_LISTADA_HID };
typedef void (*RecebePortaListada)(TipoPortaListada tipo, const char *nome,
                                   const char *dispositivo, const char *descricao,
                                   void *contexto);
void ListaPortas(RecebePortaListada recebe, void *contexto);

#endif
