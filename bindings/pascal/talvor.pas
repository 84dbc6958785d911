{ talvor.pas - the twelve functions of the talvor library (Talvor fiscal
  printers, models 7720-QX3 and 7720-RP5) for Delphi and Free Pascal.

  Texts are NUL-terminated code page 1252 (PAnsiChar); nil is an empty text.
  Results are 32-bit, 0 meaning success.  The library is talvor.dll on
  Windows (__stdcall in 32 bits) and libtalvor.so elsewhere (cdecl): with
  Free Pascal link with -Fl<directory of libtalvor.so>.  TextoTalvor turns a
  UnicodeString into code page 1252 and refuses, with ETextoTalvor, a
  character that code page lacks instead of passing a "?" in its place;
  ArquivoTalvor does the same for a file name, which outside Windows is
  UTF-8, as the file system names it.
  Close hides System.Close: write System.Close(F) for a file in a unit that
  uses Talvor. }
unit Talvor;

{$IFDEF FPC}
  {$MODESWITCH RESULT}
  {$MODESWITCH EXCEPTIONS}
  {$MODESWITCH CLASS}
{$ENDIF}
{$IFDEF WIN32}{$IFNDEF WIN64}{$DEFINE TALVOR_STDCALL}{$ENDIF}{$ENDIF}
{$IFNDEF FPC}
  {$IF SizeOf(LongInt) <> 4}
    {$MESSAGE FATAL 'talvor: LongInt has 64 bits on this target; the results are 32-bit'}
  {$IFEND}
{$ENDIF}

interface

uses
  SysUtils;

const
  BibliotecaTalvor = {$IFDEF MSWINDOWS}'talvor.dll'{$ELSE}'talvor'{$ENDIF};

type
  ETextoTalvor = class(Exception);

{ 0 connected; 1 channel not opened; 2 link not established; 3 already connected or authentication refused; 4 model not accepted; 5 no memory }
function Open(destino, modelo: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'Open';
{ always 0 }
function Close: LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'Close';
{ 0 printed; 3 failed }
function ImprimeLeituraX: LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'ImprimeLeituraX';
{ tipo C/D complete by reduction/date, c/d simplified: 0 printed; 3 bad tipo or failed }
function ImprimeLeituraMemoriaFiscal(tipo, inicio, fim: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'ImprimeLeituraMemoriaFiscal';
{ tipo 0 all, 1 COO, 2 dates: 0 printed; 3 bad tipo or failed }
function ImprimeFitaDetalhe(tipo, inicio, fim: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'ImprimeFitaDetalhe';
{ 0 downloaded into "Arquivos MF/"; 3 any failure }
function LeBinarioMF: LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'LeBinarioMF';
{ 0 downloaded into "Arquivos SB/"; 3 identification or block read failed; 5 file not created }
function LeSoftwareBasico: LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'LeSoftwareBasico';
{ 0 downloaded; 5 start after end; 96 bad character in a date; 103 impossible date; 7 bad tipo or parametro; 3 failed; 5 detail-tape file not created }
function DownloadMemorias(tipo, parametro, inicio, fim: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'DownloadMemorias';
{ 0 written; 7 bad tipo; 5, 96, 103 range errors; 3 name without extension; 1 input unreadable or output not creatable; 6 signature mismatch or damaged stream }
function GeraEspelhos(arquivo, tipo, inicio, fim: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'GeraEspelhos';
{ 0 written and signed; 1 MF file missing or short; 2 mirror not creatable; 3 bad tipo, faixa or range, or damaged memory }
function GeraEspelhoLMF(arquivoMF, tipo, faixa, inicio, fim: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'GeraEspelhoLMF';
{ 0 written (also for an unknown tipo, which does nothing); 1 capture unreadable; 3 generator failed }
function GeraRegistrosTipoE(arquivoMF, arquivoMFD, tipo: PAnsiChar): LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'GeraRegistrosTipoE';
{ always 0 (the capture dialog shows what happened) }
function LeituraRZ: LongInt;
  {$IFDEF TALVOR_STDCALL}stdcall{$ELSE}cdecl{$ENDIF}; external BibliotecaTalvor name 'LeituraRZ';

{ Texto in code page 1252, for the PAnsiChar arguments:
  PAnsiChar(TextoTalvor(S)).  Raises ETextoTalvor for a character that code
  page lacks, and for #0, which would end the text. }
function TextoTalvor(const Texto: UnicodeString): RawByteString;
{ A file name as the library opens it: code page 1252 on Windows, UTF-8
  elsewhere. }
function ArquivoTalvor(const Caminho: UnicodeString): RawByteString;

implementation

const
  { Code page 1252 at 0x80 to 0x9F; 0 where it has no character. }
  Cp1252Alto: array[$80..$9F] of Word = (
    $20AC, 0, $201A, $0192, $201E, $2026, $2020, $2021,
    $02C6, $2030, $0160, $2039, $0152, 0, $017D, 0,
    0, $2018, $2019, $201C, $201D, $2022, $2013, $2014,
    $02DC, $2122, $0161, $203A, $0153, 0, $017E, $0178);

function ByteCp1252(C: Word): Integer;
var
  B: Integer;
begin
  if ((C >= 1) and (C <= $7F)) or ((C >= $A0) and (C <= $FF)) then
  begin
    Result := C;
    Exit;
  end;
  if C <> 0 then
    for B := $80 to $9F do
      if Cp1252Alto[B] = C then
      begin
        Result := B;
        Exit;
      end;
  Result := -1;
end;

function TextoTalvor(const Texto: UnicodeString): RawByteString;
var
  I, B: Integer;
begin
  SetLength(Result, Length(Texto));
  for I := 1 to Length(Texto) do
  begin
    B := ByteCp1252(Ord(Texto[I]));
    if B < 0 then
      raise ETextoTalvor.Create('talvor: o caractere U+' + IntToHex(Ord(Texto[I]), 4) +
        ' na posição ' + IntToStr(I) + ' não existe na página de código 1252');
    Result[I] := AnsiChar(B);
  end;
end;

function ArquivoTalvor(const Caminho: UnicodeString): RawByteString;
begin
{$IFDEF MSWINDOWS}
  Result := TextoTalvor(Caminho);
{$ELSE}
  if Pos(WideChar(0), Caminho) > 0 then
    raise ETextoTalvor.Create('talvor: o nome de arquivo contém o caractere U+0000');
  Result := UTF8Encode(Caminho);
{$ENDIF}
end;

end.
