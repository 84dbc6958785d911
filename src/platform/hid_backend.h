// The HID backend: what the USB HID channel and the scanner reader need
// from the operating system.  A device is found by the usage page and
// usage of its top-level collection; one read at a time is outstanding;
// a reader thread waits for a stop request, a read request or the end of
// its read.  Reports cross this interface with their identifier in byte 0
// (0 for a device that does not number its reports), whatever the system
// does with it.  Each platform supplies one backend (hidraw on Linux, the
// HID and device set-up libraries on Windows); the tests install a fake one.
#ifndef TALVOR_PLATFORM_HID_BACKEND_H
#define TALVOR_PLATFORM_HID_BACKEND_H

#include <cstdint>

// The system side of one user (the printer channel or the scanner): the
// loaded libraries, the events and the open device.
struct SistemaHid;

// What a reader thread's wait ended with, in this order of precedence.
enum EventoHid {
    HID_EVENTO_PARAR = 0,      // the stop event (auto-reset)
    HID_EVENTO_PEDIDO = 1,     // the read-request event (auto-reset)
    HID_EVENTO_LEITURA = 2,    // the outstanding read has finished
    HID_EVENTO_TEMPO = 3,      // the time ran out
    HID_EVENTO_FALHA = 4,      // the wait itself failed
};

// State of a read.
enum LeituraHid {
    HID_LIDO = 0,           // data (or, on completion, possibly 0 bytes)
    HID_PENDENTE = 1,       // started; HID_EVENTO_LEITURA will follow
    HID_FALHOU = 2,         // failed for another reason
    HID_DESCONECTADO = 3,   // the device is gone (unplugged, general failure)
};

// Results of the search.
constexpr int HID_ACHADO = 0;
constexpr int HID_SEM_PERMISSAO = 13;   // a matching device, but its node cannot be opened
constexpr int HID_AUSENTE = 18;

// Which kinds of report the device numbers (carry a report identifier).
constexpr uint8_t HID_NUMERA_ENTRADA = 1;
constexpr uint8_t HID_NUMERA_SAIDA = 2;
constexpr uint8_t HID_NUMERA_RECURSO = 4;
constexpr uint8_t HID_NUMERA_TODOS = 7;

// Report byte lengths, report identifier byte included, and the top-level
// collection's usage; the device's node (for messages).
struct InfoDispositivoHid {
    uint16_t pagina;
    uint16_t uso;
    uint32_t entrada;
    uint32_t saida;
    uint32_t recurso;
    uint8_t numerados;     // HID_NUMERA_* bits
    char caminho[64];
};

struct BackendHid {
    // Loads the system's HID support and creates the events; null when HID
    // support is missing.
    SistemaHid *(*Abre)();
    // Closes the device if open, the events and the libraries.
    void (*Libera)(SistemaHid *s);
    // Opens the first present device with a top-level collection of this
    // usage page and usage (devices that do not match are closed again).
    // HID_ACHADO found and kept open; HID_SEM_PERMISSAO none opened, but a
    // matching one is there without access (info->caminho names it);
    // HID_AUSENTE none.
    int (*Procura)(SistemaHid *s, uint16_t pagina, uint16_t uso, InfoDispositivoHid *info);
    // Closes the device (nothing when none is open).
    void (*FechaDispositivo)(SistemaHid *s);
    // Signals the stop or the read-request event.
    void (*Sinaliza)(SistemaHid *s, EventoHid evento);
    // Waits up to ms milliseconds for stop, read request or read done.
    EventoHid (*Espera)(SistemaHid *s, uint32_t ms);
    // Starts a read of one input report of n bytes into buffer; HID_LIDO
    // when it completed at once (*lidos bytes).
    LeituraHid (*IniciaLeitura)(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *lidos);
    // Finishes the outstanding read after HID_EVENTO_LEITURA.
    LeituraHid (*ConcluiLeitura)(SistemaHid *s, uint32_t *lidos);
    // Writes one output report, waiting at most limiteMs for it (or the
    // system's own limit where the system does not let a write be waited
    // for): 0 written; 22 the wait failed or ran out; 4 the write failed
    // (*desconectado set when the device is gone).
    int (*Escreve)(SistemaHid *s, const uint8_t *relatorio, uint32_t n, uint32_t limiteMs,
                   bool *desconectado);
    // Fetches a feature report of at most n bytes; buffer[0] holds its
    // identifier.  0 and *obtidos the bytes the device gave (identifier
    // included), or 1 when it failed.
    int (*LeRecurso)(SistemaHid *s, uint8_t *buffer, uint32_t n, uint32_t *obtidos);
    // Milliseconds of the clock that the deadlines are measured on (a
    // monotonic one: a step of the wall clock moves no deadline).
    uint64_t (*RelogioMs)();
};

// The backend of the system being built for.
const BackendHid *BackendHidSistema();

#endif
