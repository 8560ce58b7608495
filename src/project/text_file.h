// Line-oriented text files: UTF-16 lines over bytes in a chosen encoding,
// with seven-byte escapes for characters the ANSI code page lacks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/fs/text_codec.h"
#include "platform/host/host_types.h"

// Open flags, as the module passes them.
struct CFile {
  static constexpr unsigned modeRead = 0x0000;
  static constexpr unsigned modeWrite = 0x0001;
  static constexpr unsigned modeReadWrite = 0x0002;
  static constexpr unsigned shareDenyNone = 0x0040;
  static constexpr unsigned modeCreate = 0x1000;
  static constexpr unsigned typeText = 0x4000;
  static constexpr unsigned typeBinary = 0x8000;
};

class AcCStdioFile {
 public:
  AcCStdioFile() = default;
  ~AcCStdioFile();
  AcCStdioFile(const AcCStdioFile&) = delete;
  AcCStdioFile& operator=(const AcCStdioFile&) = delete;

  // 1 ANSI (system code page), 2 UTF-8, 3 UTF-16LE, 4 UTF-16BE; anything
  // else reads and writes nothing.
  int32_t encoding = 1;
  bool escapeUnmappable = true;
  bool translateLineEnds = false;

  // CFile::typeText gives the runtime's text mode, which this class plays
  // itself: CR LF reads as LF, LF writes as CR LF (once, even with
  // translateLineEnds set as well). Reading loads the whole file. Writing
  // (modeCreate | modeWrite) collects the bytes and puts them in place on
  // Close through a temporary file beside the target, so a failed write
  // leaves the old file whole; Open fails early when the target cannot be
  // created (missing folder, a folder of that name, no write permission).
  bool Open(const CString& path, unsigned flags);
  // False when the written file could not be put in place.
  bool Close();
  // The system's reason for the last failed Open or Close.
  const std::string& error() const { return error_; }
  const CString& GetFilePath() const { return pathW_; }
  void SetFilePath(const CString& path) { pathW_ = path; }

  // The next line without its LF; false at the end of the file.
  bool ReadString(CString& line);
  // At most max - 1 units, the LF included when it fits, and a zero; null
  // when nothing was read.
  char16_t* ReadString(char16_t* buffer, unsigned max);
  // The caller supplies the LF.
  void WriteString(const char16_t* text);
  // Bytes already in the file's encoding, as CFile::Write takes them.
  void Write(std::string_view bytes);
  void Write(std::string&& bytes);  // taken over when nothing was written yet

 private:
  wb::fs::TextOptions Options() const;
  bool Reading();

  CString pathW_;
  std::string path_;
  std::string data_;  // contents read, or bytes written so far
  std::string error_;
  std::unique_ptr<wb::fs::CharReader> reader_;
  bool open_ = false;
  bool writing_ = false;
  bool textMode_ = false;
};
