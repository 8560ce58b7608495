// The maker's common library, configuration and text side: string
// resources, the module configuration store, environment profiles, and the
// comma-separated reader the cable list import uses.
#pragma once

#include "platform/host/host_types.h"

// A module's instance handle as the library sees it: the module's name and
// its string table (a lookup that gives null for an unknown ID). The module
// registers its table by handing out this record.
struct ModuleInstance {
  const char16_t* name;
  const char16_t* (*lookup)(int id);
};

// Copies string `id` of the module into `buffer` (cut to capacity - 1
// units); returns the number of units copied, 0 when the ID is unknown.
int QzComn_LoadString(const ModuleInstance* instance, int id, char16_t* buffer, int capacity);

// The library's configuration store (an empty `file` means its own file).
void QzComn_readConfig(wb::WString& value, const wb::WString& file, const wb::WString& section,
                       const wb::WString& key);
void QzComn_writeConfig(const wb::WString& section, const wb::WString& key,
                        const wb::WString& value, const wb::WString& file);
// Value of `key` in `section` of a profile file; empty when absent.
wb::WString QzComn_GetEnv(const wb::WString& file, const wb::WString& section,
                          const wb::WString& key);

// Path of the maker's environment profile.
extern wb::WString QZCE_INIFILE;

// Where the store and the environment profile live: the environment
// variables WIREBINDER_CONFIG and WIREBINDER_ENV_INI (read once, at start),
// else $XDG_CONFIG_HOME/wirebinder/ (or ~/.config/wirebinder/) wirebinder.ini
// and qzenv.ini. The setters override that; an empty path goes back to it.
void QzComn_SetConfigFile(const wb::WString& path);
wb::WString QzComn_ConfigFile();
void QzComn_SetEnvFile(const wb::WString& path);

// One list of fields per non-empty line of a comma-separated file, from line
// `skipLines` + 1 on, split at every `separator`. The file is read as the
// module's text files are: ANSI code page, "\U+XXXX" escapes, CR LF as LF.
// Quotes and blanks are not special: a field is exactly the text between two
// separators. Returns the number of lines delivered; -1 when the file cannot
// be read (`error`, when given, says why).
int QzComn_ReadConfigFile(const wb::WString& path, std::vector<CStringArray>& lines, int skipLines,
                          void* reserved, const wb::WString& separator, int flags,
                          std::string* error = nullptr);
void QzComn_RemoveAllFree(std::vector<CStringArray>& lines);
// n separators give n + 1 fields.
int QzComn_GetSplitString(const wb::WString& text, CStringArray& fields, void* reserved,
                          const wb::WString& separator);
