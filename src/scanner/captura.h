// Capture of a Redução Z read back with a HID scanner.
#ifndef TALVOR_SCANNER_CAPTURA_H
#define TALVOR_SCANNER_CAPTURA_H

// Runs the capture dialog until the operator closes it.  On POSIX the
// dialog is shown on the controlling terminal; without one it returns at
// once.
void CapturaRZ();

// The HID backend of the next captures (null: the system's).  For tests.
struct BackendHid;
void DefineBackendScanner(const BackendHid *backend);

#endif
