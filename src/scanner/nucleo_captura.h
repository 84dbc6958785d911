// The scanner capture without its face: code sequencing, the report
// checks, gathering a code from several reports, the temporary file, the
// closing code, expansion of a compressed capture, the signature line and
// the final name in "Arquivos Binários/".  It tells the operator what to
// do through the log of its face; it runs on the dialog's side only.
#ifndef TALVOR_SCANNER_NUCLEO_CAPTURA_H
#define TALVOR_SCANNER_NUCLEO_CAPTURA_H

#include <cstddef>
#include <cstdint>

constexpr size_t TAMANHO_CODIGO = 2004;

// What the core shows: by default the platform's dialog face.
struct SaidaCaptura {
    void (*Acrescenta)(const char *texto);
    void (*Substitui)(const char *texto);
    void (*Habilita)(unsigned controle, bool habilitado);
    void (*Encerra)();
};
// null: the platform's dialog.
void DefineSaidaCaptura(const SaidaCaptura *saida);

// Sets up a fresh capture session (idle, no temporary file).
void IniciaNucleoCaptura();

// The dialog's handler: operator commands, scanner notifications and the
// end of the dialog (messages of platform/dialogo_captura.h).
void TrataMensagemCaptura(unsigned mensagem, unsigned parametro);

// A report from the scanner (what MSG_RELATORIO hands over).
void CapturaRelatorio(const uint8_t *relatorio, uint32_t lidos);

// Appends a message to the log.
void LogLine(const char *texto);

// Set by the scanner's reader thread, read by the core.
void DefineScannerConectado(bool conectado);

// For the tests: the name of the current temporary file ("" when none).
const char *TemporarioCaptura();

#endif
