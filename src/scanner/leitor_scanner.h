// The scanner's reader thread (ScannerThread): finds the scanner (usage
// page 0xFF45, usage 0x4B00) through the HID backend, looks for it again
// every 2.5 seconds while it is missing, keeps one read posted and hands
// every input report to the dialog synchronously.  A scanner that is
// there but whose node the process may not open is told to the dialog
// (MSG_SEM_PERMISSAO) when it is first seen.
#ifndef TALVOR_SCANNER_LEITOR_SCANNER_H
#define TALVOR_SCANNER_LEITOR_SCANNER_H

#include <cstddef>
#include <cstdint>

struct BackendHid;

// Starts the thread over the backend; notifica delivers MSG_RELATORIO,
// MSG_CONECTADO, MSG_DESCONECTADO and MSG_SEM_PERMISSAO and returns once
// they were handled.
// 0, or 1 when the backend has no HID support (no thread then).
int IniciaLeitorScanner(const BackendHid *backend, void (*notifica)(unsigned mensagem));

// Stops the thread and releases the backend.
void ParaLeitorScanner();

// The report being handed over (valid during MSG_RELATORIO).
const uint8_t *RelatorioScanner(uint32_t *lidos);

// True when the last search found a scanner without access; its node.
bool ScannerSemPermissao(char *caminho, size_t capacidade);

#endif
