#include "platform/profile/profile_file.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/fs/file_system.h"
#include "platform/text/codepage.h"

namespace wb::profile {
namespace {

constexpr char16_t kNoSection[] = u"\x01";  // lines before the first header

WString Fold(WStringView text) {
  WString out(text);
  for (auto& c : out)
    if (c >= u'A' && c <= u'Z') c += 32;
  return out;
}

bool Blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

WStringView Trim(WStringView text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

WString IndexKey(WStringView section, WStringView key) {
  return Fold(Trim(section)) + u'\x01' + Fold(Trim(key));
}

std::string EncodeAs(Encoding encoding, WStringView text) {
  switch (encoding) {
    case Encoding::kUtf16LeBom: {
      std::string out;
      for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
      }
      return out;
    }
    case Encoding::kUtf8Bom: return Utf16ToUtf8(text);
    case Encoding::kAnsi: break;
  }
  return codepage::FromUtf16(text);
}

WString DecodeAs(Encoding encoding, std::string_view raw) {
  switch (encoding) {
    case Encoding::kUtf16LeBom: {
      WString out;
      for (size_t i = 0; i + 1 < raw.size(); i += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                            (static_cast<unsigned char>(raw[i + 1]) << 8)));
      return out;
    }
    case Encoding::kUtf8Bom: return Utf8ToUtf16(raw);
    case Encoding::kAnsi: break;
  }
  return codepage::ToUtf16(raw);
}

}  // namespace

ProfileFile ProfileFile::Parse(std::string_view bytes) {
  ProfileFile file;
  size_t unit = 1;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    file.encoding_ = Encoding::kUtf16LeBom;
    file.bom_ = bytes.substr(0, 2);
    unit = 2;
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    file.encoding_ = Encoding::kUtf8Bom;
    file.bom_ = bytes.substr(0, 3);
  }
  bytes.remove_prefix(file.bom_.size());

  const std::string lf = EncodeAs(file.encoding_, u"\n");
  const std::string cr = EncodeAs(file.encoding_, u"\r");
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    // Line ends are found per code unit, so a UTF-16 unit never splits.
    while (end + unit <= bytes.size() && bytes.substr(end, unit) != lf) end += unit;
    Line line;
    if (end + unit > bytes.size()) {
      line.raw = bytes.substr(start);  // last line (and a stray odd byte) kept as is
      end = bytes.size();
    } else {
      line.raw = bytes.substr(start, end - start);
      line.eol = lf;
      end += unit;
    }
    if (!line.eol.empty() && line.raw.size() >= unit &&
        std::string_view(line.raw).substr(line.raw.size() - unit) == cr) {
      line.raw.resize(line.raw.size() - unit);
      line.eol = cr + lf;
    }
    line.text = DecodeAs(file.encoding_, line.raw);
    if (!line.text.empty() && line.text.back() == u'\r') line.text.pop_back();
    if (file.newline_.empty() && !line.eol.empty()) file.newline_ = line.eol;
    file.lines_.push_back(std::move(line));
    start = end;
  }
  if (file.newline_.empty()) file.newline_ = cr + lf;
  file.Reindex();
  return file;
}

ProfileFile::Line ProfileFile::MakeLine(WString text) const {
  Line line;
  line.raw = EncodeAs(encoding_, text);
  line.eol = newline_;
  line.text = std::move(text);
  return line;
}

// A UTF-16 file cut inside a code unit leaves a stray byte at the end of its
// last line, which would shift every unit written after it by one byte: it
// is dropped once lines follow (it never was part of the text).
void ProfileFile::DropStrayByte(Line& line) const {
  if (encoding_ == Encoding::kUtf16LeBom && line.raw.size() % 2 != 0) line.raw.pop_back();
}

void ProfileFile::EndLine(Line& line) const {
  DropStrayByte(line);
  line.eol = newline_;
}

void ProfileFile::Reindex() {
  index_.clear();
  WString section = kNoSection;
  for (size_t i = 0; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    line.isHeader = line.isEntry = false;
    WStringView t = Trim(line.text);
    if (!t.empty() && t.front() == u'[') {
      const size_t close = t.find(u']');
      section = Fold(Trim(t.substr(1, close == WStringView::npos ? WStringView::npos : close - 1)));
      line.isHeader = true;
      line.section = section;
      continue;
    }
    line.section = section;
    if (section == kNoSection || t.empty() || t.front() == u';') continue;
    const size_t eq = t.find(u'=');
    if (eq == WStringView::npos) continue;
    line.isEntry = true;
    index_.emplace(section + u'\x01' + Fold(Trim(t.substr(0, eq))), static_cast<int>(i));
  }
}

int ProfileFile::FindKey(WStringView section, WStringView key) const {
  auto it = index_.find(IndexKey(section, key));
  return it == index_.end() ? -1 : it->second;
}

std::optional<WString> ProfileFile::Get(WStringView section, WStringView key) const {
  const int index = FindKey(section, key);
  if (index < 0) return std::nullopt;
  WStringView t = Trim(lines_[index].text);
  WStringView value = Trim(t.substr(t.find(u'=') + 1));
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return WString(value);
}

std::vector<WString> ProfileFile::Keys(WStringView section) const {
  std::vector<WString> keys;
  const WString s = Fold(Trim(section));
  for (const auto& line : lines_) {
    if (!line.isEntry || line.section != s) continue;
    WStringView t = Trim(line.text);
    keys.emplace_back(Trim(t.substr(0, t.find(u'='))));
  }
  return keys;
}

void ProfileFile::Set(WStringView section, WStringView key, WStringView rawValue) {
  WString value(rawValue);
  for (auto& c : value)
    if (c == u'\n' || c == u'\r') c = u' ';
  const int index = FindKey(section, key);
  if (index >= 0) {
    // Keep the line's indentation, key spelling and blanks around "=".
    const WString& old = lines_[index].text;
    size_t valueStart = old.find(u'=') + 1;
    while (valueStart < old.size() && Blank(old[valueStart])) ++valueStart;
    Line line = MakeLine(old.substr(0, valueStart) + value);
    line.eol = lines_[index].eol;
    lines_[index] = std::move(line);
    Reindex();
    return;
  }
  const WString s = Fold(Trim(section));
  // After the section's last entry, or right after its header.
  int insertAt = -1;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].section == s && (lines_[i].isHeader || lines_[i].isEntry))
      insertAt = static_cast<int>(i) + 1;
  if (insertAt < 0) {
    if (!lines_.empty() && lines_.back().eol.empty()) DropStrayByte(lines_.back());
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) {
      if (lines_.back().eol.empty()) EndLine(lines_.back());
      lines_.push_back(MakeLine(WString()));
    }
    lines_.push_back(MakeLine(u"[" + WString(Trim(section)) + u"]"));
    insertAt = static_cast<int>(lines_.size());
  }
  if (insertAt > 0 && lines_[insertAt - 1].eol.empty()) EndLine(lines_[insertAt - 1]);
  lines_.insert(lines_.begin() + insertAt, MakeLine(WString(Trim(key)) + u"=" + value));
  Reindex();
}

void ProfileFile::RemoveKey(WStringView section, WStringView key) {
  const int index = FindKey(section, key);
  if (index < 0) return;
  lines_.erase(lines_.begin() + index);
  Reindex();
}

std::string ProfileFile::Serialize() const {
  std::string out = bom_;
  for (const auto& line : lines_) out += line.raw + line.eol;
  return out;
}

namespace {

struct Cached {
  fs::FileStamp stamp;
  std::shared_ptr<const ProfileFile> file;
};

std::mutex g_cacheMutex;
std::map<std::string, Cached> g_cache;

// The parsed file, from the cache while the file on disk is unchanged.
std::shared_ptr<const ProfileFile> Load(const std::string& path) {
  auto stamp = fs::Stamp(path);
  if (!stamp) return nullptr;
  {
    std::lock_guard lock(g_cacheMutex);
    auto it = g_cache.find(path);
    if (it != g_cache.end() && it->second.stamp == *stamp) return it->second.file;
  }
  auto bytes = fs::ReadFile(path);
  if (!bytes) return nullptr;
  auto file = std::make_shared<const ProfileFile>(ProfileFile::Parse(*bytes));
  // A file that changed while being read is not kept.
  if (fs::Stamp(path) == stamp) {
    std::lock_guard lock(g_cacheMutex);
    g_cache[path] = {*stamp, file};
  }
  return file;
}

void Forget(const std::string& path) {
  std::lock_guard lock(g_cacheMutex);
  g_cache.erase(path);
}

}  // namespace

void ClearCache() {
  std::lock_guard lock(g_cacheMutex);
  g_cache.clear();
}

WString GetString(const WString& file, const WString& section, const WString& key,
                  const WString& fallback) {
  if (file.empty()) return fallback;
  auto profile = Load(fs::ToNative(file));
  if (!profile) return fallback;
  auto value = profile->Get(section, key);
  return value ? *value : fallback;
}

bool WriteString(const WString& file, const WString& section, const WString& key,
                 const WString* value, std::string* error) {
  if (file.empty()) {
    if (error) *error = "no file name";
    return false;
  }
  const std::string path = fs::ToNative(file);
  ProfileFile profile = ProfileFile::Parse({});
  if (fs::Stamp(path)) {
    // An existing file that cannot be read is not replaced by a new one.
    auto bytes = fs::ReadFile(path, error);
    if (!bytes) return false;
    profile = ProfileFile::Parse(*bytes);
  }
  if (value)
    profile.Set(section, key, *value);
  else
    profile.RemoveKey(section, key);
  Forget(path);
  const bool ok = fs::WriteFileAtomically(path, profile.Serialize(), error);
  Forget(path);
  return ok;
}

}  // namespace wb::profile

bool WritePrivateProfileStringW(const wb::WString& section, const wb::WString& key,
                                const wb::WString& value, const wb::WString& file) {
  return wb::profile::WriteString(file, section, key, &value);
}
