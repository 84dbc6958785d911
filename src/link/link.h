// The printer link as the rest of the library sees it: open and close the
// channel (a serial port, or the USB HID channel for port number 0), send a
// command, and receive the printer's answers.
#ifndef TALVOR_LINK_LINK_H
#define TALVOR_LINK_LINK_H

#include <cstdint>

// Link result codes.
constexpr int LINK_OK = 0;
constexpr int LINK_MAIS_VEM = 1;           // an answer, more follows
constexpr int LINK_NADA_AINDA = 2;         // nothing to deliver yet
constexpr int LINK_HID_ESCRITA = 4;        // HID write failed
constexpr int LINK_REINICIO = 5;           // the printer asked for a restart
constexpr int LINK_CHAMAR_DE_NOVO = 6;     // establishment step done
constexpr int LINK_SEM_RESPOSTA = 16;      // no valid answer
constexpr int LINK_FALHA_ESTABELECER = 18; // establishment failed
constexpr int LINK_PORTA_INVALIDA = 19;    // port number out of range
constexpr int LINK_COMANDO_LONGO = 20;     // command longer than 255 bytes
constexpr int LINK_FALHA_PASSO = 22;       // failure while a step ran
constexpr int LINK_NAO_ABRE = 23;          // the port cannot be opened
constexpr int LINK_JA_ABERTA = 24;         // a port is already open
constexpr int LINK_FECHADA = 25;           // the channel is not open
constexpr int LINK_BAUD_INVALIDO = 51;     // baud rate not accepted

constexpr uint32_t TAMANHO_COMANDO_MAX = 255;
constexpr uint32_t TAMANHO_RESPOSTA = 2043;

int LinkSetBaudRate(uint32_t baud);
uint32_t LinkBaudRate();   // the rate the next LinkOpen uses
int LinkOpen(unsigned porta);
int LinkClose();
int LinkSend(const uint8_t *comando, uint32_t comprimento);
int LinkReceive(uint8_t *resposta, uint32_t *comprimento);

#endif
