// The connection record and the routines the exports share.
#ifndef TALVOR_INTERFACE_CONEXAO_H
#define TALVOR_INTERFACE_CONEXAO_H

#include <cstddef>
#include <cstdint>

constexpr uint8_t MODO_SEM_CONEXAO = 0;
constexpr uint8_t MODO_DIRETORIO = 1;
constexpr uint8_t MODO_IMPRESSORA = 2;

struct EstadoConexao {
    uint8_t modo;
    char *diretorio;   // heap copy of the directory text, or null
    uint8_t porta;     // 0 selects the USB HID channel
};
extern EstadoConexao Conexao;

// The start-up handshake: 0 passed, 3 failed.
int IniciaConexao();

// A null text is taken as an empty one.
inline const char *Texto(const char *t)
{
    return t != nullptr ? t : "";
}

// Copies at most largura characters of texto into destino, stopping at the
// text's NUL; the rest of the field is left as it was (zero).
void CopiaCampo(uint8_t *destino, size_t largura, const char *texto);

#endif
