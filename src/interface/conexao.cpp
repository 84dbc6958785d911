// Open and Close: the connection record.  A port text "COM" plus one
// character brings up the printer link; any other text records a directory
// connection, which no other export reads.
#include "interface/conexao.h"

#include <cstdlib>
#include <cstring>

#include "interface/processo.h"
#include "link/link.h"
#include "platform/plataforma.h"
#include "talvor/ecf.h"

EstadoConexao Conexao = {MODO_SEM_CONEXAO, nullptr, 0};

void CopiaCampo(uint8_t *destino, size_t largura, const char *texto)
{
    texto = Texto(texto);
    for (size_t i = 0; i < largura && texto[i] != '\0'; ++i)
        destino[i] = static_cast<uint8_t>(texto[i]);
}

// The model texts are compared over 9 bytes: the 8 characters and the NUL.
static bool ModeloAceito(const char *modelo)
{
    static const char *const modelos[] = {"7720-QX3", "7720-RP5"};
    for (const char *m : modelos) {
        if (std::strncmp(modelo, m, 9) == 0)
            return true;
    }
    return false;
}

// Port number of "COM" + c: (c - 48) mod 8 with the sign of the dividend,
// c taken as a signed 8-bit character, kept in 8 bits.
static uint8_t PortaDoCaractere(char c)
{
    int codigo = static_cast<int>(static_cast<signed char>(c)) - 48;
    return static_cast<uint8_t>(codigo % 8);
}

extern "C" TALVOR_API int32_t TALVOR_CALL Open(const char *destino, const char *modelo)
try {
    TravaExportacao trava;
    destino = Texto(destino);
    modelo = Texto(modelo);
    if (Conexao.modo != MODO_SEM_CONEXAO)
        return 3;
    if (!ModeloAceito(modelo))
        return 4;
    if (std::strncmp(destino, "COM", 3) == 0 && std::strlen(destino) == 4) {
        Conexao.modo = MODO_IMPRESSORA;
        Conexao.porta = PortaDoCaractere(destino[3]);
        LinkSetBaudRate(115200);
        if (LinkOpen(Conexao.porta) != LINK_OK)
            return 1;
        uint8_t resposta[TAMANHO_RESPOSTA];
        int r;
        do {
            DormeMs(2);
            uint32_t comprimento = 0;
            r = LinkReceive(resposta, &comprimento);
        } while (r == LINK_CHAMAR_DE_NOVO);
        if (r != LINK_OK) {
            LinkClose();
            return 2;
        }
        if (IniciaConexao() != 0)
            return 3;
        return 0;
    }
    Conexao.modo = MODO_DIRETORIO;
    size_t n = std::strlen(destino) + 1;
    char *copia = static_cast<char *>(std::malloc(n));
    if (copia == nullptr)
        return 5;
    std::memcpy(copia, destino, n);
    Conexao.diretorio = copia;
    return 0;
} catch (...) {
    return 5;
}

extern "C" TALVOR_API int32_t TALVOR_CALL Close(void)
try {
    TravaExportacao trava;
    Conexao.modo = MODO_SEM_CONEXAO;
    std::free(Conexao.diretorio);
    Conexao.diretorio = nullptr;
    LinkClose();
    return 0;
} catch (...) {
    return 0;
}
