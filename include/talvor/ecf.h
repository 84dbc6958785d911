/*
 * talvor/ecf.h - the twelve functions of the talvor library.
 *
 * The library drives the Talvor fiscal printers (ECF models "7720-QX3" and
 * "7720-RP5"): it opens the printer over a serial port or USB HID, makes it
 * print its reports, downloads its memories into signed files and converts
 * those files into the text files that the Brazilian tax rules ask for.
 *
 * Conventions shared by every function:
 *  - Texts are NUL-terminated 8-bit strings (Windows code page 1252).  A null
 *    pointer is taken as an empty text.  Most functions read only the first
 *    character of an option argument.  Where a fixed number of characters is
 *    copied from a text, a shorter text is copied up to its NUL and the rest
 *    of the field is zero: nothing is read past a text's end.
 *  - Every function returns a 32-bit signed result, 0 meaning success.
 *  - Output files go into five directories relative to the current working
 *    directory, which must exist beforehand:
 *      "Arquivos MF/"              fiscal-memory image (LeBinarioMF)
 *      "Arquivos Binários/"        downloads of DownloadMemorias, captures of LeituraRZ
 *      "Arquivos SB/"              basic software image (LeSoftwareBasico)
 *      "Arquivos TXT Formatados/"  type-E record files (GeraRegistrosTipoE)
 *      "Arquivos TXT Espelho/"     mirror files (GeraEspelhos, GeraEspelhoLMF)
 *    On POSIX systems "Arquivos Binários/" is named in UTF-8, on Windows in
 *    code page 1252.  Every file is named from the first six characters of
 *    the printer identification and the local time, e.g.
 *    "Arquivos MF/MF123456_20070315_142501.BIN".
 *  - Every finished file ends with a signature line: "EAD" and 256
 *    hexadecimal digits, an RSA signature over the MD5 digest of everything
 *    before it (public key in keys/ead-public.pem of the source tree, and
 *    printed by "talvor chave-publica").
 *  - Threads: any function may be called from any thread.  The calls run one
 *    at a time, under one process-wide lock that each holds until it
 *    returns: a call made while another runs waits for it (Close called
 *    while a download runs on another thread waits for the download).  A
 *    call made on a thread that is already inside one (from a window
 *    procedure run by the capture dialog, say) returns its generic failure.
 *  - No C++ exception leaves a function: an unexpected internal failure
 *    returns the function's generic failure (Open 5; Close and LeituraRZ 0;
 *    GeraEspelhos 1; every other function 3).
 *  - Signals interrupting the library's system calls are harmless (with or
 *    without SA_RESTART).  On POSIX, unloading the library closes the port
 *    and the USB channel and joins the channel's thread, and a forked child
 *    never touches the parent's port, channel or threads.  On Windows, call
 *    Close before FreeLibrary: a library thread keeps the DLL loaded while
 *    it runs.
 */
#ifndef TALVOR_ECF_H
#define TALVOR_ECF_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(TALVOR_BUILDING_LIBRARY)
#    define TALVOR_API __declspec(dllexport)
#  elif defined(TALVOR_STATIC)
#    define TALVOR_API
#  else
#    define TALVOR_API __declspec(dllimport)
#  endif
#  if defined(_WIN64)
#    define TALVOR_CALL
#  else
#    define TALVOR_CALL __stdcall
#  endif
#else
#  define TALVOR_API __attribute__((visibility("default")))
#  define TALVOR_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Open(destino, modelo): records a connection.
 *   modelo must be exactly "7720-QX3" or "7720-RP5".
 *   destino "COM" plus exactly one character c opens the printer: port
 *   number (c - '0') mod 8, so "COM1" to "COM7" are serial ports and "COM0"
 *   and "COM8" the USB HID channel ("COM9" is port 1).  On POSIX, serial port
 *   n is the device named by the environment variable TALVOR_COM<n>, else
 *   /dev/ttyS<n-1>.  The link is brought up and the host authenticates itself.
 *   Any other destino records a directory connection (the text is kept).
 * Results: 0 connected; 1 the channel could not be opened; 2 the link could
 *   not be established (channel closed again); 3 a connection is already
 *   recorded (until Close) or the authentication failed; 4 model not
 *   accepted; 5 no memory for the directory text.
 */
TALVOR_API int32_t TALVOR_CALL Open(const char *destino, const char *modelo);

/* Close(): forgets the connection and closes the channel.  Always 0. */
TALVOR_API int32_t TALVOR_CALL Close(void);

/* ImprimeLeituraX(): the printer prints a Leitura X.  0 done, 3 failed. */
TALVOR_API int32_t TALVOR_CALL ImprimeLeituraX(void);

/*
 * ImprimeLeituraMemoriaFiscal(tipo, inicio, fim): the printer prints its
 * fiscal-memory reading.  tipo 'C' complete by reduction counter (inicio and
 * fim: 4 characters each), 'D' complete by date (DDMMAAAA, 8 characters
 * each), 'c' and 'd' the simplified forms.  0 done, 3 bad tipo or failure.
 */
TALVOR_API int32_t TALVOR_CALL ImprimeLeituraMemoriaFiscal(const char *tipo, const char *inicio,
                                                           const char *fim);

/*
 * ImprimeFitaDetalhe(tipo, inicio, fim): the printer prints its detail tape.
 * tipo '0' all, '1' by COO (6 characters each), '2' by date (DDMMAAAA).
 * 0 done, 3 bad tipo or failure.
 */
TALVOR_API int32_t TALVOR_CALL ImprimeFitaDetalhe(const char *tipo, const char *inicio,
                                                  const char *fim);

/*
 * LeBinarioMF(): downloads the 1 MiB fiscal memory into
 * "Arquivos MF/MF<id>_<data>_<hora>.BIN" (image, 29-byte download record,
 * signature line).  0 done, 3 any failure.
 */
TALVOR_API int32_t TALVOR_CALL LeBinarioMF(void);

/*
 * LeSoftwareBasico(): downloads the 512 KiB basic software into
 * "Arquivos SB/SB<id>_<data>_<hora>.BIN" (image, signature line).
 * 0 done, 3 identification or a block read failed, 5 the file could not be
 * created.
 */
TALVOR_API int32_t TALVOR_CALL LeSoftwareBasico(void);

/*
 * DownloadMemorias(tipo, parametro, inicio, fim): downloads printer memory
 * into "Arquivos Binários/".
 *   tipo '0' fiscal memory (".MF"), '1' detail tape (".MFD"), '2' both.
 *   parametro '0' by date (DDMMAAAA), '1' by 16-bit counter, '2' by 32-bit
 *   counter (detail tape only), '3' everything.
 * Results: 0 done; 5, 96, 103 range errors (start after end, bad
 *   character, impossible date), checked before tipo and parametro; 7 bad
 *   tipo or parametro; 3 download failure (5 when the detail-tape file could
 *   not be created).
 */
TALVOR_API int32_t TALVOR_CALL DownloadMemorias(const char *tipo, const char *parametro,
                                                const char *inicio, const char *fim);

/*
 * GeraEspelhos(arquivo, tipo, inicio, fim): writes the mirror of a
 * detail-tape file (".MFD" download, or a record stream such as a ".RZ"
 * capture) into "Arquivos TXT Espelho/EMFD<id>_<data>_<hora>.TXT".
 *   tipo '0' by date (DDMMAAAA), '1' by COO, '2' every document.
 * Results: 0 done; 7 bad tipo; 5, 96, 103 range errors; 3 the file name has
 *   no extension; 1 input unreadable or output not creatable; 6 the input's
 *   signature does not match, or the stream is damaged (the partial mirror
 *   ends with "BAD TAG FOUND IN EJ FILE" and is not signed).
 */
TALVOR_API int32_t TALVOR_CALL GeraEspelhos(const char *arquivo, const char *tipo,
                                            const char *inicio, const char *fim);

/*
 * GeraEspelhoLMF(arquivoMF, tipo, faixa, inicio, fim): writes the mirror of
 * the fiscal-memory reading into "Arquivos TXT Espelho/EMF<id>_<data>_<hora>.TXT".
 *   tipo '0' complete, '1' simplified; faixa '0' by date (DDMMAAAA), '1' by
 *   reduction counter (4 digits).
 * Results: 0 done and signed; 1 the fiscal-memory file is missing or short;
 *   2 the mirror file could not be created; 3 bad tipo or faixa, bad range,
 *   or damaged memory (the partial mirror is not signed).
 */
TALVOR_API int32_t TALVOR_CALL GeraEspelhoLMF(const char *arquivoMF, const char *tipo,
                                              const char *faixa, const char *inicio,
                                              const char *fim);

/*
 * GeraRegistrosTipoE(arquivoMF, arquivoMFD, tipo): writes the type-E
 * records (Ato COTEPE/ICMS 17/04) into "Arquivos TXT Formatados/".
 *   tipo '0' from the fiscal memory ("MF..."), '1' from the detail tape
 *   ("MFD..."), '2' both into one file ("TDM..."), '3' from a reduction
 *   captured by LeituraRZ ("RZ...", arquivoMFD names the capture).
 * Results: 0 done (also for any other tipo, which does nothing); 1 the
 *   captured file of tipo '3' cannot be opened; 3 a generator failed
 *   (unreadable input, signature mismatch, output not creatable).
 */
TALVOR_API int32_t TALVOR_CALL GeraRegistrosTipoE(const char *arquivoMF, const char *arquivoMFD,
                                                  const char *tipo);

/*
 * LeituraRZ(): captures a Redução Z read back with a USB HID scanner and
 * stores it in "Arquivos Binários/<id>_<data>_<hora>.RZ".  Always 0.
 */
TALVOR_API int32_t TALVOR_CALL LeituraRZ(void);

#ifdef __cplusplus
}
#endif

#endif /* TALVOR_ECF_H */
