#include "platform/qzcomn/config/qzcomn_config.h"

#include <cstdlib>
#include <filesystem>

#include "platform/fs/file_system.h"
#include "platform/fs/text_codec.h"
#include "platform/profile/profile_file.h"

namespace {

wb::WString ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return wb::Utf8ToUtf16(xdg) + u"/wirebinder/";
  const char* home = std::getenv("HOME");
  return wb::Utf8ToUtf16(home ? home : ".") + u"/.config/wirebinder/";
}

wb::WString FromEnvironment(const char* variable, const char16_t* fallbackName) {
  const char* value = std::getenv(variable);
  if (value && *value) return wb::Utf8ToUtf16(value);
  return ConfigFolder() + fallbackName;
}

wb::WString DefaultConfigPath() { return FromEnvironment("WIREBINDER_CONFIG", u"wirebinder.ini"); }
wb::WString DefaultEnvPath() { return FromEnvironment("WIREBINDER_ENV_INI", u"qzenv.ini"); }

wb::WString& ConfigPath() {
  static wb::WString path = DefaultConfigPath();
  return path;
}

}  // namespace

wb::WString QZCE_INIFILE = DefaultEnvPath();

int QzComn_LoadString(const ModuleInstance* instance, int id, char16_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = 0;
  const char16_t* text = instance && instance->lookup ? instance->lookup(id) : nullptr;
  if (!text) return 0;
  int n = 0;
  while (text[n] && n < capacity - 1) {
    buffer[n] = text[n];
    ++n;
  }
  buffer[n] = 0;
  return n;
}

void QzComn_SetConfigFile(const wb::WString& path) {
  ConfigPath() = path.empty() ? DefaultConfigPath() : path;
}
wb::WString QzComn_ConfigFile() { return ConfigPath(); }
void QzComn_SetEnvFile(const wb::WString& path) {
  QZCE_INIFILE = path.empty() ? DefaultEnvPath() : path;
}

void QzComn_readConfig(wb::WString& value, const wb::WString& file, const wb::WString& section,
                       const wb::WString& key) {
  value = wb::profile::GetString(file.empty() ? ConfigPath() : file, section, key);
}

void QzComn_writeConfig(const wb::WString& section, const wb::WString& key,
                        const wb::WString& value, const wb::WString& file) {
  const wb::WString path = file.empty() ? ConfigPath() : file;
  if (file.empty()) {
    // The store's folder may not exist on a fresh machine.
    const std::filesystem::path folder = std::filesystem::path(wb::fs::ToNative(path)).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  }
  wb::profile::WriteString(path, section, key, &value);
}

wb::WString QzComn_GetEnv(const wb::WString& file, const wb::WString& section,
                          const wb::WString& key) {
  return wb::profile::GetString(file, section, key);
}

int QzComn_ReadConfigFile(const wb::WString& path, std::vector<CStringArray>& lines, int skipLines,
                          void*, const wb::WString& separator, int, std::string* error) {
  auto bytes = wb::fs::ReadFile(wb::fs::ToNative(path), error);
  if (!bytes) return -1;
  // A cut character is damage to refuse, not the end of the list.
  wb::fs::CharReader reader(*bytes, {wb::fs::kAnsi, true, true, true});
  wb::WString line;
  int lineNumber = 0;
  int delivered = 0;
  while (reader.ReadLine(line)) {
    if (++lineNumber <= skipLines || line.empty()) continue;
    CStringArray fields;
    QzComn_GetSplitString(line, fields, nullptr, separator);
    lines.push_back(std::move(fields));
    ++delivered;
  }
  return delivered;
}

void QzComn_RemoveAllFree(std::vector<CStringArray>& lines) { lines.clear(); }

int QzComn_GetSplitString(const wb::WString& text, CStringArray& fields, void*,
                          const wb::WString& separator) {
  fields = wb::Split(text, separator);
  return static_cast<int>(fields.size());
}
