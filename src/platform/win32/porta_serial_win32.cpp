// The serial port on Windows: "COM<n>" opened unshared, settings built from
// the text "baud=... parity=N data=8 stop=1" with DTR disabled, read
// time-outs as the frame reader asks, every frame drained before the write
// returns, purge of the input side only, DSR from the modem status.  The
// port still open when the library is unloaded is closed by
// FechaRecursosAoDescarregar (called from DllMain).
#include "platform/porta_serial.h"

#include <windows.h>

#include <cstdio>

#include "platform/plataforma.h"

namespace {

HANDLE porta = INVALID_HANDLE_VALUE;
DCB configuracao;

}  // namespace

int PortaSerialAbre(unsigned numero, uint32_t baud)
{
    // Ports above 9 need the device namespace prefix.
    char nome[32];
    if (numero < 10)
        std::snprintf(nome, sizeof nome, "COM%u", numero);
    else
        std::snprintf(nome, sizeof nome, "\\\\.\\COM%u", numero);
    HANDLE h = CreateFileA(nome, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return PORTA_NAO_ABRE;
    char texto[64];
    std::snprintf(texto, sizeof texto, "baud=%u parity=N data=8 stop=1",
                  static_cast<unsigned>(baud));
    ZeroMemory(&configuracao, sizeof configuracao);
    configuracao.DCBlength = sizeof configuracao;
    if (!GetCommState(h, &configuracao) || !BuildCommDCBA(texto, &configuracao)) {
        CloseHandle(h);
        return PORTA_CONFIGURACAO;
    }
    configuracao.fDtrControl = DTR_CONTROL_DISABLE;
    configuracao.fRtsControl = RTS_CONTROL_DISABLE;
    configuracao.fOutxCtsFlow = FALSE;
    configuracao.fOutxDsrFlow = FALSE;
    configuracao.fOutX = FALSE;
    configuracao.fInX = FALSE;
    if (!SetCommState(h, &configuracao)) {
        CloseHandle(h);
        return PORTA_CONFIGURACAO;
    }
    porta = h;
    return PORTA_ABERTA;
}

bool PortaSerialAberta()
{
    return porta != INVALID_HANDLE_VALUE;
}

void PortaSerialFecha()
{
    if (porta == INVALID_HANDLE_VALUE)
        return;
    EscapeCommFunction(porta, CLRDTR);
    CloseHandle(porta);
    porta = INVALID_HANDLE_VALUE;
}

void PortaSerialEscreve(const uint8_t *bytes, size_t quantidade)
{
    if (porta == INVALID_HANDLE_VALUE)
        return;
    DWORD escritos = 0;
    WriteFile(porta, bytes, static_cast<DWORD>(quantidade), &escritos, nullptr);
    // A synchronous WriteFile may return while the frame still waits in the
    // driver's queue (USB-serial adapters complete it once queued).  The
    // frame is drained here, so that it has left the host when this returns:
    // the read time limits that follow then measure the printer's answer,
    // and a purge cannot discard it.
    FlushFileBuffers(porta);
}

void PortaSerialPurga()
{
    // Only the input is dropped: a late answer or the rest of a damaged
    // frame.  The output side is never touched.  Its queue holds nothing of
    // ours (each write has drained), and clearing it would drop bytes the
    // printer has not taken yet: Wine turns PURGE_TXCLEAR and PURGE_TXABORT
    // into an output flush of the terminal, which on a pseudo-terminal
    // discards what the other side has not read, and some USB-serial
    // drivers discard what their adapter still holds.  A transmit abort has
    // nothing to abort either: the port is not overlapped and one call runs
    // at a time, so no write is pending when the link purges.
    if (porta != INVALID_HANDLE_VALUE)
        PurgeComm(porta, PURGE_RXABORT | PURGE_RXCLEAR);
}

int PortaSerialDefineLimites(unsigned intervalo, unsigned porByte, unsigned constante)
{
    if (porta == INVALID_HANDLE_VALUE)
        return 1;
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = intervalo;
    t.ReadTotalTimeoutMultiplier = porByte;
    t.ReadTotalTimeoutConstant = constante;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(porta, &t) ? 0 : 1;
}

int PortaSerialLe(uint8_t *destino, size_t quantidade, size_t *lidos)
{
    *lidos = 0;
    if (porta == INVALID_HANDLE_VALUE)
        return 1;
    DWORD n = 0;
    if (!ReadFile(porta, destino, static_cast<DWORD>(quantidade), &n, nullptr))
        return 1;
    *lidos = n;
    return 0;
}

bool PortaSerialDSR()
{
    DWORD estado = 0;
    if (porta == INVALID_HANDLE_VALUE || !GetCommModemStatus(porta, &estado))
        return false;
    return (estado & MS_DSR_ON) != 0;
}

void FechaRecursosAoDescarregar()
{
    PortaSerialFecha();
}
