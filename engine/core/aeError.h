#pragma once
// The error-report convention: every failure is logged where it happens, naming
// the source file, the line, the operation and a German description.

void aeReportError(const char* file, int line, const char* function, const char* description, ...)
    __attribute__((format(printf, 4, 5)));
void aeReportInvalidParameter(const char* file, int line, const char* function);
void aeReportWarning(const char* file, int line, const char* function, const char* description, ...)
    __attribute__((format(printf, 4, 5)));

// "Fehler: Datei: … Zeile: … Funktion: … Beschreibung: …"
#define AE_ERROR(function, ...) aeReportError(__FILE_NAME__, __LINE__, function, __VA_ARGS__)
// "… Beschreibung: Der Funktion wurden ungültige Parameter übergeben!"
#define AE_INVALID_PARAMETER(function) aeReportInvalidParameter(__FILE_NAME__, __LINE__, function)
// "Warnung: Datei: … Zeile: … Funktion: … Beschreibung: …"
#define AE_WARNING(function, ...) aeReportWarning(__FILE_NAME__, __LINE__, function, __VA_ARGS__)

// "… Beschreibung: Der Aufruf von <call> verursachte den DirectX-Fehler <name>: <description>!"
void aeReportDXError(const char* file, int line, const char* function, const char* call, long result);
#define AE_DXERROR(function, call, result) aeReportDXError(__FILE_NAME__, __LINE__, function, call, result)
