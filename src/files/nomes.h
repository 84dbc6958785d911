// Output directories, time stamps, file names and the printer
// identification, read from the printer or back from a file written before.
#ifndef TALVOR_FILES_NOMES_H
#define TALVOR_FILES_NOMES_H

#include <cstddef>
#include <cstdint>

#include "platform/plataforma.h"

#define DIR_MF "Arquivos MF/"
#define DIR_SB "Arquivos SB/"
#define DIR_TXT_FORMATADOS "Arquivos TXT Formatados/"
#define DIR_TXT_ESPELHO "Arquivos TXT Espelho/"
// DIR_BINARIOS comes from the platform layer (its encoding differs).

constexpr size_t TAMANHO_ID_IMPRESSORA = 20;
constexpr size_t TAMANHO_ID_CURTO = 6;
constexpr size_t TAMANHO_NOME = 128;   // room for the longest name

// Modes of ReadShortId.
constexpr int ID_IMAGEM_MF = 0;       // 6 bytes at offset 1048576
constexpr int ID_DOWNLOAD_MFD = 1;    // 6 bytes at offset 0
constexpr int ID_FLUXO_REGISTROS = 2; // bytes 1-6 of the first 0x90 record

// "YYYYMMDD_HHMMSS" and a terminator (16 bytes).
void MakeTimeStamp(char *destino);

// A finished file never replaces another: its name takes the next second.
// Moves the time stamp of a file name (the 15 characters before its last
// ".", after a "_") one second on, waiting where needed until the clock has
// reached it (about two seconds at most: a clock that stands still or was
// set back never holds a call up for long).  false when the name carries no
// time stamp.
bool AvancaCarimbo(char *nome);
// Where the time stamp of a file name starts, or -1 when it carries none.
long PosicaoCarimbo(const char *nome);

// Asks the printer for its 20-byte identification.  0, or 3.
int ReadPrinterId(uint8_t *destino20);

// Reads the short identification back from a file.  0, or 1 when the file
// cannot be opened; bytes that cannot be read are left as they were.
int ReadShortId(const char *caminho, char *destino6, int modo);

// Copies the text after the last "." of caminho into destino (capacidade
// bytes with the terminator; a longer extension is cut).  0, or 3 when
// there is no usable extension.
int FileExtension(const char *caminho, char *destino, size_t capacidade);

// Builds directory + prefix + short id + "_" + time stamp + "." + extension.
void MontaNomeArquivo(char *destino, const char *diretorio, const char *prefixo,
                      const char *idCurto6, const char *extensao);

#endif
