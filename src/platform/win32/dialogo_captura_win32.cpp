// The capture dialog on Windows: the modal dialog of the library's dialog
// template (captura.rc), centred on the desktop, with ScanDialogProc as
// its procedure.  The scanner's reader thread reaches it with synchronous
// window messages (0x40D report, 0x40E connected, 0x40F disconnected).
#include "platform/dialogo_captura.h"

#include <windows.h>

#include "platform/win32/recursos.h"

extern HINSTANCE ModuloInstancia;

namespace {

HWND janela = nullptr;
TrataMensagemDialogo tratador = nullptr;

INT_PTR CALLBACK ScanDialogProc(HWND h, UINT mensagem, WPARAM w, LPARAM)
{
    switch (mensagem) {
    case WM_INITDIALOG: {
        RECT desktop, dialogo;
        GetWindowRect(GetDesktopWindow(), &desktop);
        GetWindowRect(h, &dialogo);
        int largura = dialogo.right - dialogo.left;
        int altura = dialogo.bottom - dialogo.top;
        MoveWindow(h, (desktop.right - largura) / 2, (desktop.bottom - altura) / 2, largura,
                   altura, FALSE);
        janela = h;
        return TRUE;
    }
    case WM_COMMAND:
        tratador(MSG_COMANDO, LOWORD(w));
        return TRUE;
    case WM_CLOSE:
        tratador(MSG_COMANDO, COMANDO_FECHAR);
        return TRUE;
    case WM_DESTROY:
        tratador(MSG_DESTRUIDO, 0);
        janela = nullptr;
        return TRUE;
    case MSG_RELATORIO:
    case MSG_CONECTADO:
    case MSG_DESCONECTADO:
        tratador(mensagem, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int ExecutaDialogoCaptura(TrataMensagemDialogo trata)
{
    tratador = trata;
    INT_PTR r = DialogBoxParamA(ModuloInstancia, MAKEINTRESOURCEA(IDD_LEITURA_RZ), nullptr,
                                ScanDialogProc, 0);
    janela = nullptr;
    return r == -1 ? 1 : 0;
}

void NotificaDialogoCaptura(unsigned mensagem)
{
    HWND h = janela;
    if (h != nullptr)
        SendMessageA(h, mensagem, 0, 0);
}

void AcrescentaRegistroDialogo(const char *texto)
{
    if (janela == nullptr)
        return;
    HWND log = GetDlgItem(janela, CONTROLE_REGISTRO);
    LRESULT fim = SendMessageA(log, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(log, EM_SETSEL, static_cast<WPARAM>(fim), static_cast<LPARAM>(fim));
    SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(texto));
}

void SubstituiRegistroDialogo(const char *texto)
{
    if (janela != nullptr)
        SetDlgItemTextA(janela, CONTROLE_REGISTRO, texto);
}

void HabilitaControleDialogo(unsigned controle, bool habilitado)
{
    if (janela != nullptr)
        EnableWindow(GetDlgItem(janela, static_cast<int>(controle)), habilitado ? TRUE : FALSE);
}

void EncerraDialogo()
{
    if (janela != nullptr)
        EndDialog(janela, 0);
}
