#include "project/text_file.h"

#include "platform/fs/file_system.h"

AcCStdioFile::~AcCStdioFile() {
  if (open_) Close();
}

wb::fs::TextOptions AcCStdioFile::Options() const {
  return {encoding, escapeUnmappable, translateLineEnds || textMode_};
}

bool AcCStdioFile::Open(const CString& path, unsigned flags) {
  if (open_) Close();
  error_.clear();
  reader_.reset();
  data_.clear();
  pathW_ = path;
  path_ = wb::fs::ToNative(path);
  if (path_.empty()) {
    error_ = "no file name";
    return false;
  }
  textMode_ = (flags & CFile::typeText) != 0;
  writing_ = (flags & (CFile::modeWrite | CFile::modeReadWrite)) != 0;
  if (writing_) {
    const size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
    if (!wb::fs::DirectoryExists(wb::Utf8ToUtf16(folder))) {
      error_ = folder + ": no such folder";
      return false;
    }
    if (wb::fs::DirectoryExists(path)) {
      error_ = path_ + ": is a folder";
      return false;
    }
    // Refused now rather than on Close, which writes the file.
    if (wb::fs::ReadOnly(path_)) {
      error_ = path_ + ": not writable";
      return false;
    }
    open_ = true;
    return true;
  }
  auto bytes = wb::fs::ReadFile(path_, &error_);
  if (!bytes) return false;
  data_ = std::move(*bytes);
  open_ = true;
  return true;
}

bool AcCStdioFile::Close() {
  if (!open_) return true;
  open_ = false;
  reader_.reset();
  if (!writing_) return true;
  const bool ok = wb::fs::WriteFileAtomically(path_, data_, &error_);
  data_.clear();
  return ok;
}

bool AcCStdioFile::Reading() {
  if (!open_ || writing_) return false;
  if (!reader_) reader_ = std::make_unique<wb::fs::CharReader>(data_, Options());
  return true;
}

bool AcCStdioFile::ReadString(CString& line) {
  line.clear();
  return Reading() && reader_->ReadLine(line);
}

char16_t* AcCStdioFile::ReadString(char16_t* buffer, unsigned max) {
  if (!buffer || max == 0) return nullptr;
  buffer[0] = 0;
  if (max == 1 || !Reading()) return nullptr;
  unsigned n = 0;
  char16_t c;
  while (n < max - 1 && reader_->Next(c)) {
    buffer[n++] = c;
    if (c == u'\n') break;
  }
  buffer[n] = 0;
  return n ? buffer : nullptr;
}

void AcCStdioFile::WriteString(const char16_t* text) {
  if (!open_ || !writing_ || !text) return;
  wb::fs::EncodeText(text, Options(), data_);
}

void AcCStdioFile::Write(std::string_view bytes) {
  if (open_ && writing_) data_.append(bytes);
}

void AcCStdioFile::Write(std::string&& bytes) {
  if (!open_ || !writing_) return;
  if (data_.empty())
    data_ = std::move(bytes);
  else
    data_.append(bytes);
}
