// The scanner capture's core (see nucleo_captura.h).
//
// Input report as the scanner hands it (n = byte 1): 0x10 0x03 0x00 at
// bytes 2 to 4, the payload from byte 5 to n - 3, at n - 2 a flag that is
// non-zero while more reports of the same code follow, 0x0B at byte n.
// A code's payload starts with its sequence number (16 bits, big-endian):
// 1, 2, 3 ... for data codes, 0xFFFF for the closing code, whose last two
// bytes are the number of the code expected next.
#include "scanner/nucleo_captura.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "files/assinatura.h"
#include "files/nomes.h"
#include "files/saida.h"
#include "platform/dialogo_captura.h"
#include "platform/plataforma.h"
#include "scanner/expansor.h"
#include "scanner/leitor_scanner.h"

namespace {

// The operator's messages (code page 1252).
const char *const MSG_INICIO = "Inicio de leitura de Bitmap.\r\nLeia o c\xF3" "digo 1.\r\n";
const char *const MSG_CONECTE = "Conecte o scanner.\r\n";
const char *const MSG_SCANNER_CONECTADO = "Scanner conectado. Leia o c\xF3" "digo %d.\r\n";
const char *const MSG_LEIA = "Leia o c\xF3" "digo %d.\r\n";
const char *const MSG_ERRO = "Erro!!! Leia o c\xF3" "digo novamente.\r\n";
const char *const MSG_SUCESSO = "Leitura conclu\xED" "da com sucesso!\r\n";
const char *const MSG_CANCELADA = "Leitura cancelada\r\n";
// What went wrong when a capture could not be stored; %s is where it is.
const char *const MSG_ERRO_TEMPORARIO =
    "Erro: o arquivo tempor\xE1rio da leitura n\xE3o p\xF4" "de ser criado em %s\r\n";
const char *const MSG_ERRO_GRAVACAO =
    "Erro na grava\xE7\xE3o da captura. Captura mantida em %s\r\n";
const char *const MSG_ERRO_EXPANSAO =
    "Erro na expans\xE3o da captura. Captura mantida em %s\r\n";
const char *const MSG_ERRO_ASSINATURA =
    "Erro na assinatura da captura. Captura mantida em %s\r\n";
const char *const MSG_ERRO_IDENTIFICACAO =
    "Erro na leitura da identifica\xE7\xE3o da captura. Captura mantida em %s\r\n";
const char *const MSG_ERRO_MOVER = "Erro ao mover a captura. Captura mantida em %s\r\n";

constexpr unsigned SEQUENCIA_FINAL = 0xFFFF;
constexpr size_t TAMANHO_TEMPORARIO = TAMANHO_CAMINHO_SAIDA;

const SaidaCaptura kSaidaDialogo = {AcrescentaRegistroDialogo, SubstituiRegistroDialogo,
                                    HabilitaControleDialogo, EncerraDialogo};

struct EstadoCaptura {
    const SaidaCaptura *saida = &kSaidaDialogo;
    bool lendo = false;
    uint8_t codigo[TAMANHO_CODIGO];
    size_t cheio = 0;
    int esperado = 1;
    char temporario[TAMANHO_TEMPORARIO] = "";
    ArquivoSaida arquivo {};
};

EstadoCaptura c;
std::atomic<bool> scannerConectado {false};

// A scanner is there, but its node may not be opened: which one.
void LogSemPermissao()
{
    char caminho[128], texto[192];
    if (!ScannerSemPermissao(caminho, sizeof caminho))
        return;
    std::snprintf(texto, sizeof texto, "Scanner sem permiss\xE3o: %s\r\n", caminho);
    LogLine(texto);
}

void LogNumero(const char *formato, int numero)
{
    char texto[80];
    std::snprintf(texto, sizeof texto, formato, numero);
    LogLine(texto);
}

// Appends a message that names a path, shown in code page 1252 like the
// rest of the log (the "á" of the binaries' directory is one byte there).
void LogCaminho(const char *formato, const char *caminho)
{
    static const char kDiretorio1252[] = "Arquivos Bin\xE1rios/";
    const size_t n = std::strlen(DIR_BINARIOS);
    char mostrado[TAMANHO_TEMPORARIO + 32];
    if (std::strncmp(caminho, DIR_BINARIOS, n) == 0)
        std::snprintf(mostrado, sizeof mostrado, "%s%s", kDiretorio1252, caminho + n);
    else
        std::snprintf(mostrado, sizeof mostrado, "%s", caminho);
    char texto[sizeof mostrado + 160];
    std::snprintf(texto, sizeof texto, formato, mostrado);
    LogLine(texto);
}

// An unfinished reading's file (if open) is removed: its data are of no
// further use.
void DescartaTemporario()
{
    DescartaSaida(&c.arquivo);
    c.temporario[0] = '\0';
}

// A capture read to its end but not stored is kept, out of the way of the
// temporary files that later readings remove: as "RZ_" + time stamp +
// ".captura" in the binaries' directory, or where it is when that fails.
// The log says what failed and where the capture is.
void MantemCaptura(const char *formato)
{
    char mantida[TAMANHO_TEMPORARIO];
    char carimbo[16];
    MakeTimeStamp(carimbo);
    std::snprintf(mantida, sizeof mantida, "%sRZ_%s.captura", DIR_BINARIOS, carimbo);
    LogCaminho(formato, InstalaArquivo(c.temporario, mantida) == 0 ? mantida : c.temporario);
    c.temporario[0] = '\0';
}

void IniciaLeitura()
{
    // A cancelled or unfinished reading leaves its temporary file behind:
    // it is of no further use.
    DescartaTemporario();
    // The capture is written in the directory it is stored in, so that
    // storing it is a rename within one file system.
    if (CriaDiretorio(DIR_BINARIOS) != 0 || AbreSaida(&c.arquivo, DIR_BINARIOS "RZ", false) != 0) {
        LogCaminho(MSG_ERRO_TEMPORARIO, DIR_BINARIOS);
        return;
    }
    std::snprintf(c.temporario, sizeof c.temporario, "%s", c.arquivo.temporario);
    c.saida->Habilita(CONTROLE_INICIAR, false);
    c.saida->Habilita(CONTROLE_CANCELAR, true);
    c.cheio = 0;
    c.esperado = 1;
    c.saida->Substitui(MSG_INICIO);
    if (!scannerConectado)
        LogLine(MSG_CONECTE);
    LogSemPermissao();
    c.lendo = true;
}

// Tail of a finished capture: expansion, signature, final name.  Success is
// told only once the capture is stored under its final name.
void ConcluiCaptura()
{
    WriteOutput(&c.arquivo, c.codigo + 2, c.cheio - 4);
    c.cheio = 0;
    c.lendo = false;
    // A capture whose data did not all reach the disk is not stored.
    if (FechaSemNome(&c.arquivo) != 0) {
        MantemCaptura(MSG_ERRO_GRAVACAO);
        return;
    }
    uint8_t cabecalho[4] = {0, 0, 0, 0};
    size_t lidos = 0;
    if (FILE *f = std::fopen(c.temporario, "rb")) {
        lidos = std::fread(cabecalho, 1, sizeof cabecalho, f);
        std::fclose(f);
    }
    if (lidos == 4 && CabecalhoComprimido(cabecalho)) {
        // The expansion replaces the capture only once it is complete.
        if (ExpandCapture(c.temporario, c.temporario) != 0) {
            MantemCaptura(MSG_ERRO_EXPANSAO);
            return;
        }
        // Without its signature line no reader would accept the capture.
        if (AppendSignatureLine(c.temporario) != 0) {
            MantemCaptura(MSG_ERRO_ASSINATURA);
            return;
        }
    }
    char id[TAMANHO_ID_CURTO];
    std::memset(id, ' ', sizeof id);
    char final[TAMANHO_TEMPORARIO];
    if (ReadShortId(c.temporario, id, ID_FLUXO_REGISTROS) != 0) {
        MantemCaptura(MSG_ERRO_IDENTIFICACAO);
    } else {
        MontaNomeArquivo(final, DIR_BINARIOS, "", id, "RZ");
        if (InstalaArquivo(c.temporario, final) != 0) {
            MantemCaptura(MSG_ERRO_MOVER);
        } else {
            c.temporario[0] = '\0';
            LogLine(MSG_SUCESSO);
        }
    }
    c.saida->Habilita(CONTROLE_INICIAR, true);
    c.saida->Habilita(CONTROLE_CANCELAR, false);
}

// A complete code in the code buffer.
void CodigoCompleto()
{
    if (c.cheio < 2) {
        c.cheio = 0;
        LogLine(MSG_ERRO);
        return;
    }
    unsigned sequencia = (static_cast<unsigned>(c.codigo[0]) << 8) | c.codigo[1];
    if (sequencia != SEQUENCIA_FINAL) {
        if (static_cast<int>(sequencia) != c.esperado) {
            LogLine(MSG_ERRO);
            c.cheio = 0;
            return;
        }
        WriteOutput(&c.arquivo, c.codigo + 2, c.cheio - 2);
        ++c.esperado;
        LogNumero(MSG_LEIA, c.esperado);
        c.cheio = 0;
        return;
    }
    if (c.cheio < 4 ||
        static_cast<int>((static_cast<unsigned>(c.codigo[c.cheio - 2]) << 8) | c.codigo[c.cheio - 1]) !=
            c.esperado) {
        c.cheio = 0;
        LogLine(MSG_ERRO);
        return;
    }
    ConcluiCaptura();
}

}  // namespace

void DefineSaidaCaptura(const SaidaCaptura *saida)
{
    c.saida = saida != nullptr ? saida : &kSaidaDialogo;
}

void DefineScannerConectado(bool conectado)
{
    scannerConectado = conectado;
}

const char *TemporarioCaptura()
{
    return c.temporario;
}

void IniciaNucleoCaptura()
{
    c.lendo = false;
    c.cheio = 0;
    c.esperado = 1;
    c.temporario[0] = '\0';
    c.arquivo = ArquivoSaida {};
}

void LogLine(const char *texto)
{
    c.saida->Acrescenta(texto);
}

void CapturaRelatorio(const uint8_t *r, uint32_t lidos)
{
    if (!c.lendo)
        return;
    uint32_t n = lidos >= 2 ? r[1] : 0;
    // A report that fails its checks also ends the code being gathered:
    // its next report could not be told from the start of another code.
    if (lidos < 5 || n < 7 || n >= lidos || r[2] != 0x10 || r[3] != 0x03 || r[4] != 0x00 ||
        r[n] != 0x0B) {
        c.cheio = 0;
        LogLine(MSG_ERRO);
        return;
    }
    size_t parte = n - 7;
    if (c.cheio + parte > TAMANHO_CODIGO) {
        // Longer than any code: rejected whole.
        c.cheio = 0;
        LogLine(MSG_ERRO);
        return;
    }
    std::memcpy(c.codigo + c.cheio, r + 5, parte);
    c.cheio += parte;
    if (r[n - 2] != 0)
        return;
    CodigoCompleto();
}

void TrataMensagemCaptura(unsigned mensagem, unsigned parametro)
{
    switch (mensagem) {
    case MSG_COMANDO:
        if (parametro == CONTROLE_INICIAR) {
            IniciaLeitura();
        } else if (parametro == CONTROLE_CANCELAR) {
            c.lendo = false;
            LogLine(MSG_CANCELADA);
            c.saida->Habilita(CONTROLE_INICIAR, true);
            c.saida->Habilita(CONTROLE_CANCELAR, false);
        } else if (parametro == CONTROLE_SAIR || parametro == COMANDO_FECHAR) {
            c.lendo = false;
            c.saida->Encerra();
        }
        // "Configurar Scanner" (1000) does nothing.
        break;
    case MSG_CONECTADO:
        if (c.lendo)
            LogNumero(MSG_SCANNER_CONECTADO, c.esperado);
        break;
    case MSG_DESCONECTADO:
        if (c.lendo)
            LogLine(MSG_CONECTE);
        break;
    case MSG_SEM_PERMISSAO:
        LogSemPermissao();
        break;
    case MSG_RELATORIO: {
        uint32_t lidos = 0;
        const uint8_t *r = RelatorioScanner(&lidos);
        CapturaRelatorio(r, lidos);
        break;
    }
    case MSG_DESTRUIDO:
        c.lendo = false;
        DescartaTemporario();
        break;
    default:
        break;
    }
}
