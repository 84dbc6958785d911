// The face of the scanner capture dialog: a modal dialog on Windows, a
// dialog on the controlling terminal on POSIX.  The face shows the
// controls and the log, and hands every operator action and every scanner
// notification to one handler, one at a time, on the dialog's side.
#ifndef TALVOR_PLATFORM_DIALOGO_CAPTURA_H
#define TALVOR_PLATFORM_DIALOGO_CAPTURA_H

// Controls of the dialog (identifiers of the dialog template).
constexpr unsigned CONTROLE_CONFIGURAR = 1000;   // "Configurar Scanner"
constexpr unsigned CONTROLE_CANCELAR = 1001;     // "Cancelar Leitura"
constexpr unsigned CONTROLE_INICIAR = 1002;      // "Iniciar Leitura"
constexpr unsigned CONTROLE_SAIR = 1004;         // "Sair"
constexpr unsigned CONTROLE_REGISTRO = 1005;     // the log
constexpr unsigned COMANDO_FECHAR = 2;           // Escape, or closing the window

// Messages to the handler.
constexpr unsigned MSG_COMANDO = 0x0111;         // a control or command; parametro = its id
constexpr unsigned MSG_RELATORIO = 0x040D;       // the scanner's reader has a report
constexpr unsigned MSG_CONECTADO = 0x040E;       // the scanner was found
constexpr unsigned MSG_DESCONECTADO = 0x040F;    // the scanner was lost
constexpr unsigned MSG_SEM_PERMISSAO = 0x0410;   // a scanner is there, without access
constexpr unsigned MSG_DESTRUIDO = 0x0002;       // the dialog is going away

typedef void (*TrataMensagemDialogo)(unsigned mensagem, unsigned parametro);

// Shows the dialog until it is ended; 0, or 1 when it cannot be shown
// (no dialog resource, no terminal).
int ExecutaDialogoCaptura(TrataMensagemDialogo trata);

// From the scanner's reader thread: hands a notification to the handler
// and returns once it has been handled (nothing when no dialog is shown).
void NotificaDialogoCaptura(unsigned mensagem);

// For the handler, while the dialog is shown.
void AcrescentaRegistroDialogo(const char *texto);   // to the end of the log
void SubstituiRegistroDialogo(const char *texto);    // the whole log
void HabilitaControleDialogo(unsigned controle, bool habilitado);
void EncerraDialogo();

#endif
