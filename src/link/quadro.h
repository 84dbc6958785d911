// Link frames on the serial port: control byte, 16-bit length, data and a
// 16-bit check (LinkCrc), all big-endian; the reading of one printer frame
// with its time limits (FrameRead).
#ifndef TALVOR_LINK_QUADRO_H
#define TALVOR_LINK_QUADRO_H

#include <cstddef>
#include <cstdint>

constexpr size_t TAMANHO_QUADRO = 2048;          // both frame buffers
constexpr uint32_t DADOS_QUADRO_IMPRESSORA = 2043;

// Control bytes of host frames.
constexpr uint8_t CONTROLE_DADOS_0 = 0x00;
constexpr uint8_t CONTROLE_DADOS_1 = 0x01;
constexpr uint8_t CONTROLE_SYNC = 0x04;
constexpr uint8_t CONTROLE_RESET = 0x07;

// Types of printer frames (control byte 0x08 | type).
constexpr uint8_t TIPO_DADOS_0 = 0;
constexpr uint8_t TIPO_DADOS_1 = 1;
constexpr uint8_t TIPO_REINICIO = 5;
constexpr uint8_t TIPO_ACK_SYNC = 6;

// FrameRead statuses.
constexpr int QUADRO_OK = 0;
constexpr int QUADRO_CRC = 1;
constexpr int QUADRO_COMPRIMENTO = 2;
constexpr int QUADRO_CONTROLE = 3;
constexpr int QUADRO_TEMPO = 6;
constexpr int QUADRO_LIMITES = 10;
constexpr int QUADRO_LEITURA = 11;

// The 16-bit check of a frame (CCITT polynomial, register preset to
// 0xFFFF, bytes shifted into the low end, result inverted).
uint16_t LinkCrc(const uint8_t *bytes, size_t quantidade);

// The two 256-byte halves of the check's table (high and low bytes).
const uint8_t *TabelaCrcAlta();
const uint8_t *TabelaCrcBaixa();

// Builds a data frame (control = sequence bit) or a control frame into
// destino (n + 5 bytes); returns the frame length.  dados may be null when
// comprimento is 0; comprimento must not exceed 2043.
size_t MontaQuadro(uint8_t *destino, uint8_t controle, const uint8_t *dados, size_t comprimento);

// True when a printer control byte is acceptable: bits 7-4 zero, bit 3 set,
// type 0, 1, 5 or 6.
bool ControleImpressoraValido(uint8_t controle);

// The receive frame buffer: the last frame FrameRead took from the port.
extern uint8_t QuadroRecebido[TAMANHO_QUADRO];

// Reads one printer frame into QuadroRecebido: 0, 1, 2, 3, 6, 10 or 11.
int FrameRead();

// Data length and type of the frame in QuadroRecebido.
inline uint32_t ComprimentoRecebido()
{
    return (static_cast<uint32_t>(QuadroRecebido[1]) << 8) | QuadroRecebido[2];
}
inline uint8_t TipoRecebido()
{
    return QuadroRecebido[0] & 0x07;
}

#endif
