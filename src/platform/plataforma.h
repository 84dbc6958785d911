// The platform layer: the only part of the library that talks to the
// operating system.  The core calls these routines; src/platform/posix and
// src/platform/win32 each implement all of them.
#ifndef TALVOR_PLATAFORMA_H
#define TALVOR_PLATAFORMA_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Name of the binary-download directory.  On Windows the file system takes
// code page 1252 (the "á" is the byte 0xE1); POSIX file names are UTF-8.
#if defined(_WIN32)
#define DIR_BINARIOS "Arquivos Bin\xE1rios/"
#else
#define DIR_BINARIOS "Arquivos Bin\xC3\xA1rios/"
#endif

// Local calendar time as the host's clock gives it (TZ honoured on POSIX).
struct RelogioLocal {
    int ano;      // full year
    int mes;      // 1 to 12
    int dia;      // 1 to 31
    int hora;     // 0 to 23
    int minuto;
    int segundo;
    int verao;    // 1 while summer time is in force
};
void LeRelogioLocal(RelogioLocal *r);

// Milliseconds of UTC time since 1 January 1601 (the Windows file-time epoch).
uint64_t RelogioUtcMs();

// Calendar seconds (time since 1 January 1970).
int64_t RelogioSegundos();

// Milliseconds of a clock that only moves forward at a steady pace, from an
// arbitrary origin: what time limits and intervals are measured on, so that
// a step of the wall clock neither stalls nor shortens them.
uint64_t RelogioMonotonicoMs();

// Sleeps ms milliseconds of the monotonic clock; a signal does not cut it
// short.
void DormeMs(unsigned ms);

// Directories and files.  0 on success.
int CriaDiretorio(const char *caminho);        // 0 also when it exists already
// Renames, replacing a file of the new name.
int MoveArquivo(const char *de, const char *para);
int RemoveArquivo(const char *caminho);
int TamanhoArquivo(const char *caminho, uint64_t *tamanho);
// Cuts a file back to the given size (an append that failed half-way).
int TruncaArquivo(const char *caminho, uint64_t tamanho);
// Creates a new, empty file with a unique name in the system's temporary
// directory and writes its name (capacidade bytes with the terminator).
// 0, or 1 when no such file could be created.
int CriaArquivoTemporario(char *destino, size_t capacidade);

// Output files.  CriaArquivoNovo opens a file for binary writing only where
// no file of that name exists (nullptr otherwise, or on any failure).
FILE *CriaArquivoNovo(const char *caminho);
// Everything written reaches the disk: the stream is emptied and the file
// synchronised (fsync; FlushFileBuffers on Windows).  0, or 1.
int SincronizaArquivo(FILE *arquivo);
// Renames without ever replacing: 0 renamed; 2 a file of the new name
// exists (nothing changed); 1 any other failure.
int RenomeiaSemSubstituir(const char *de, const char *para);
// Makes the names changed in a directory ("" the current one) durable.
// 0, or 1 when the system reports an I/O error.
int SincronizaDiretorio(const char *diretorio);
// Calls visita with the name of every entry of a directory ("" the current
// one) but "." and "..".  0, or 1 when it cannot be read.
int PercorreDiretorio(const char *diretorio, void (*visita)(const char *nome, void *contexto),
                      void *contexto);

// The process, and whether a process still runs (the owner of a temporary
// file).  A process that cannot be looked at counts as running.
uint32_t IdProcesso();
bool ProcessoAtivo(uint32_t id);

// Reads a regular file from its start into destino: as many bytes as it
// holds, at most capacidade.  0 with *lidos; 1 when it cannot be opened or
// read, or ends before the size it had when opened (it shrank meanwhile).
int LeArquivoInteiro(const char *caminho, uint8_t *destino, size_t capacidade, size_t *lidos);

// 64-bit positions in open files (a detail tape may pass 2 GiB).  0, or 1.
int PosicionaArquivo(FILE *arquivo, uint64_t posicao);
int TamanhoAberto(FILE *arquivo, uint64_t *tamanho);   // moves to the end

// A thread of the library (the HID and scanner readers, the digest thread).
// IniciaLinha: 0 started, 1 not.  AguardaLinha waits for its end (nothing
// when none runs).  An exception escaping rotina ends the thread, never the
// process; on Windows the thread holds a reference to the library's module
// while it runs and ends through FreeLibraryAndExitThread.
struct LinhaExecucao {
    void *interno;
};
int IniciaLinha(LinhaExecucao *linha, void (*rotina)());
void AguardaLinha(LinhaExecucao *linha);

// Closes an open serial port when the library is unloaded or the process
// ends (on Windows DllMain calls it; on POSIX the core's unloading hook).
void FechaRecursosAoDescarregar();

// The library in its process.  The core hands over two routines once, at
// load: aoDescarregar runs when the library is unloaded (dlclose) or its
// process ends, and only in the process that loaded it; noFilho runs in the
// child of a fork, which must forget the parent's port, channel and
// threads without touching them.  On POSIX a destructor and pthread_atfork
// run them; on Windows there is no fork, and DllMain, which must never wait
// for a thread, only closes the serial port (each library thread holds its
// own reference to the module, so the library cannot be unmapped under it).
void InstalaGanchosProcesso(void (*aoDescarregar)(), void (*noFilho)());

// ---- Test aids: set by the tests only, never by the library ----

// Asked before each file operation named here, with the path (and, for a
// rename, the new name; for a write, the bytes written so far; for a block
// of LeArquivoInteiro, the bytes read so far).  An answer other than 0 makes
// the operation fail as the system would: FALHA_OUTRO_DISPOSITIVO as between
// two file systems, any other value as an I/O error.  The test may also act
// itself (take a name, cut a file, end the process) before it answers.
enum OperacaoArquivo { ARQ_CRIA, ARQ_ESCREVE, ARQ_SINCRONIZA, ARQ_RENOMEIA, ARQ_LE };
constexpr int FALHA_ARQUIVO = 1;
constexpr int FALHA_OUTRO_DISPOSITIVO = 2;
using GanchoArquivos = int (*)(int operacao, const char *caminho, const char *outro,
                               uint64_t bytes);
inline GanchoArquivos GanchoArquivosTeste = nullptr;
inline int GanchoArquivo(int operacao, const char *caminho, const char *outro, uint64_t bytes)
{
    return GanchoArquivosTeste != nullptr ? GanchoArquivosTeste(operacao, caminho, outro, bytes)
                                          : 0;
}

// The clock of file-name time stamps: when set, names read le in place of
// LeRelogioLocal, and a name waiting for the next second calls avanca (which
// should move that clock on) in place of sleeping.
struct RelogioTeste {
    void (*le)(RelogioLocal *r);
    void (*avanca)();
};
inline const RelogioTeste *RelogioNomesTeste = nullptr;

#endif
