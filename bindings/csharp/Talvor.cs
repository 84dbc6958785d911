// Talvor.cs - the twelve functions of the talvor library (Talvor fiscal
// printers, models 7720-QX3 and 7720-RP5) for C# (.NET Framework, Mono,
// .NET).
//
// Every text is marshalled with CharSet.Ansi: on Windows in the system's
// ANSI code page (1252 on Portuguese and Western Windows), and a character
// that code page lacks throws ArgumentException before the call instead of
// going as a look-alike ("best fit" off); on Linux Mono and .NET marshal
// Ansi as UTF-8, which is also how the file system names files there.
// null passes as a null pointer, which the library reads as an empty text.
// The imports keep DllImport's default CallingConvention.Winapi: __stdcall
// on 32-bit Windows, the platform's own convention elsewhere.  The library
// is "talvor": talvor.dll on Windows; on Linux Mono maps it through
// Talvor.dll.config (libtalvor.so.1) and .NET looks for libtalvor.so.
using System.Runtime.InteropServices;

namespace Talvor
{
    // Every import below: no best fit, and an unmappable character throws.
    [BestFitMapping(false, ThrowOnUnmappableChar = true)]
    public static class Ecf
    {
        private const string Biblioteca = "talvor";

        /// <summary>0 connected; 1 channel not opened; 2 link not established; 3 already connected or authentication refused; 4 model not accepted; 5 no memory.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int Open(string destino, string modelo);

        /// <summary>Always 0.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int Close();

        /// <summary>0 printed; 3 failed.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int ImprimeLeituraX();

        /// <summary>tipo C/D complete by reduction/date, c/d simplified: 0 printed; 3 bad tipo or failed.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int ImprimeLeituraMemoriaFiscal(string tipo, string inicio, string fim);

        /// <summary>tipo 0 all, 1 COO, 2 dates: 0 printed; 3 bad tipo or failed.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int ImprimeFitaDetalhe(string tipo, string inicio, string fim);

        /// <summary>0 downloaded into "Arquivos MF/"; 3 any failure.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int LeBinarioMF();

        /// <summary>0 downloaded into "Arquivos SB/"; 3 identification or block read failed; 5 file not created.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int LeSoftwareBasico();

        /// <summary>0 downloaded; 5 start after end; 96 bad character in a date; 103 impossible date; 7 bad tipo or parametro; 3 failed; 5 detail-tape file not created.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int DownloadMemorias(string tipo, string parametro, string inicio, string fim);

        /// <summary>0 written; 7 bad tipo; 5, 96, 103 range errors; 3 name without extension; 1 input unreadable or output not creatable; 6 signature mismatch or damaged stream.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int GeraEspelhos(string arquivo, string tipo, string inicio, string fim);

        /// <summary>0 written and signed; 1 MF file missing or short; 2 mirror not creatable; 3 bad tipo, faixa or range, or damaged memory.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int GeraEspelhoLMF(string arquivoMF, string tipo, string faixa, string inicio, string fim);

        /// <summary>0 written (also for an unknown tipo, which does nothing); 1 capture unreadable; 3 generator failed.</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int GeraRegistrosTipoE(string arquivoMF, string arquivoMFD, string tipo);

        /// <summary>Always 0 (the capture dialog shows what happened).</summary>
        [DllImport(Biblioteca, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int LeituraRZ();
    }
}
