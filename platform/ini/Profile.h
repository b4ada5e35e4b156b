// The Windows profile functions over INI files, as the settings code calls them. The behaviour
// reproduced is Windows' own, because settings files are edited by hand and copied between the
// two systems:
// - section and key names are compared without regard to case, and blanks around them ignored;
// - a value loses its surrounding blanks, then one pair of matching single or double quotes;
// - a line starting with ';' is a comment; a key without '=' has no value and reads as missing;
// - a section or key that occurs twice: the first one counts, for reading and writing;
// - CRLF and LF line ends, a missing final line end, a UTF-8 byte-order mark and lines that are
//   none of the above are read without complaint.
// A write changes only the one line it concerns (or adds one, or removes one), keeps everything
// else byte for byte, uses the line end the file already uses (CRLF for a new file), creates the
// file and the section on the first write and replaces the file atomically.
//
// Texts are 8-bit Windows-1252 as everywhere in the core. The file name is resolved without
// regard to case, as Windows would find it.
#pragma once

#include "platform/win/WinTypes.h"

namespace twinleaf::win {

// The integer of the key: leading blanks, an optional sign and the leading decimal digits, with
// any text after them ignored ("12 days" is 12, "abc" is 0) and 32-bit wrap-around, so "-1"
// comes back as 0xFFFFFFFF. A missing key, or one with an empty value, gives `defaultValue`.
UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName);

// Copies the value of the key into `out` and returns the number of characters copied, without the
// terminator. A value or default longer than size-1 characters is cut to size-1 and terminated;
// the result is then size-1. A missing key gives `defaultValue` (NULL meaning empty) with its
// trailing blanks removed.
// With `key` NULL: the names of the section's keys, each terminated, the list ending with an
// extra terminator (the default instead when the section has no keys); with `section` NULL: the
// names of all sections, likewise. A name that occurs twice is listed once. A list that does
// not fit is cut inside its last name, ends with two terminators, and the result is size-2.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* out, DWORD size, const char* fileName);

// Sets `key` in `section` to `value`. A NULL value removes the key, a NULL key removes the whole
// section. FALSE when the file cannot be read or written, or when a name or value would not read
// back as written (a line break anywhere; '=' in a key, or a key starting with ';' or '[').
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);

} // namespace twinleaf::win
