#include "platform/dxf/document.h"

#include <algorithm>
#include <cstring>

#include "platform/host/worker_threads.h"

namespace wb::dxf {

bool Document::Load(std::string buffer, ParseError* error) {
  buffer_ = std::move(buffer);
  if (buffer_.size() >= 0xFFFFFFF0u) {
    error->line = 0;
    error->message = "file too large (4 GB or more)";
    return false;
  }
  static constexpr char kBinary[] = "AutoCAD Binary DXF";
  if (buffer_.compare(0, sizeof kBinary - 1, kBinary) == 0) {
    error->line = 1;
    error->message = "binary DXF is not supported; save the drawing as ASCII DXF";
    return false;
  }
  bodyStart_ = buffer_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  if (!Tokenize(buffer_, bodyStart_, &tokens_, error)) return false;
  if (tokens_.tags.empty()) {
    error->line = 1;
    error->message = "empty file, not a DXF drawing";
    return false;
  }
  style_ = DetectStyle(buffer_, tokens_);

  records.clear();
  records.reserve(tokens_.tags.size() / 8 + 4);
  const auto& tags = tokens_.tags;
  for (uint32_t i = 0; i < tags.size(); ++i) {
    if (tags[i].code == 0 || i == 0) {
      Record r;
      r.first = i;
      r.kind = tags[i].code == 0 ? Kind::kObject : Kind::kPrefix;
      records.push_back(r);
    }
    ++records.back().count;
  }
  for (Record& r : records) r.xdata = r.count;
  return true;
}

void TagList::Insert(size_t at, int code, std::string_view value) {
  items_.insert(items_.begin() + static_cast<long>(at),
                Item{code, kNone, static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(value.size())});
  text_.append(value);
}

void TagList::Set(size_t i, int code, std::string_view value) {
  Forget(items_[i]);
  items_[i] = {code, kNone, static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(value.size())};
  text_.append(value);
  Compact();
}

void TagList::Replace(size_t begin, size_t end, const TagList& with) {
  for (size_t i = begin; i < end; ++i) Forget(items_[i]);
  const auto shift = static_cast<uint32_t>(text_.size());
  text_.append(with.text_);
  dead_ += with.dead_;
  items_.erase(items_.begin() + static_cast<long>(begin), items_.begin() + static_cast<long>(end));
  items_.insert(items_.begin() + static_cast<long>(begin), with.items_.begin(), with.items_.end());
  for (size_t i = begin; i < begin + with.items_.size(); ++i)
    if (items_[i].original == kNone) items_[i].offset += shift;
  Compact();
}

void TagList::Forget(const Item& item) {
  if (item.original == kNone) dead_ += item.length;
}

void TagList::Compact() {
  if (dead_ < 256 || dead_ * 2 < text_.size()) return;
  std::string live;
  live.reserve(text_.size() - dead_);
  for (Item& item : items_) {
    if (item.original != kNone) continue;
    const auto offset = static_cast<uint32_t>(live.size());
    live.append(text_, item.offset, item.length);
    item.offset = offset;
  }
  text_ = std::move(live);
  dead_ = 0;
}

TagList Document::Tags(const Record& r) const {
  // Tag by tag, so that the bytes of values replaced before stay behind.
  TagList tags;
  const size_t n = Size(r);
  tags.Reserve(n + 4);
  for (size_t i = 0; i < n; ++i) CopyTag(r, i, tags);
  return tags;
}

TagList& Document::Edit(uint32_t index) {
  if (watcher_) watcher_->Changing(index);
  Record& r = records[index];
  if (r.edit == kNone) {
    edits_.push_back(Tags(r));
    r.edit = static_cast<uint32_t>(edits_.size() - 1);
  }
  return edits_[r.edit];
}

void Document::Replace(uint32_t index, TagList tags) {
  if (watcher_) watcher_->Changing(index);
  Record& r = records[index];
  if (r.edit == kNone) {
    r.edit = static_cast<uint32_t>(edits_.size());
    edits_.push_back(std::move(tags));
  } else {
    edits_[r.edit] = std::move(tags);
  }
}

void Document::Reindex(uint32_t index) {
  Record& r = records[index];
  size_t n = Size(r);
  r.xdata = static_cast<uint32_t>(n);
  for (size_t i = 1; i < n; ++i) {
    if (At(r, i).code == 1001) {
      r.xdata = static_cast<uint32_t>(i);
      break;
    }
  }
}

uint32_t Document::Add(TagList tags, uint32_t before, Kind kind, Section section) {
  Record r;
  r.kind = kind;
  r.section = section;
  r.edit = static_cast<uint32_t>(edits_.size());
  edits_.push_back(std::move(tags));
  uint32_t index = static_cast<uint32_t>(records.size());
  records.push_back(r);
  before_[before].push_back(index);
  Reindex(index);
  if (watcher_) watcher_->Added(index);
  return index;
}

void Document::Emit(uint32_t index, std::string& out, size_t& spanBegin, size_t& spanEnd) const {
  auto flush = [&] {
    out.append(buffer_, spanBegin, spanEnd - spanBegin);
    spanBegin = spanEnd = 0;
  };
  if (!before_.empty()) {
    auto it = before_.find(index);
    if (it != before_.end())
      for (uint32_t added : it->second) Emit(added, out, spanBegin, spanEnd);
  }
  const Record& r = records[index];
  if (r.erased) return;
  if (r.edit == kNone) {
    size_t b = tokens_.tags[r.first].lineOffset;
    size_t e = RawEnd(r.first + r.count - 1);
    if (b != spanEnd) {
      flush();
      spanBegin = b;
    }
    spanEnd = e;
    return;
  }
  flush();
  const TagList& tags = edits_[r.edit];
  for (size_t i = 0; i < tags.size(); ++i) {
    if (const uint32_t o = tags.original(i); o != kNone)
      out.append(buffer_, tokens_.tags[o].lineOffset, RawEnd(o) - tokens_.tags[o].lineOffset);
    else
      AppendTag(out, style_, tags.code(i), tags.text(i));
  }
}

std::string Document::Serialise() const {
  std::string out;
  out.reserve(buffer_.size() + buffer_.size() / 16 + 4096);
  Serialise([&](std::string_view piece) {
    out.append(piece);
    return true;
  });
  return out;
}

size_t Document::SizeGuess(uint32_t index) const {
  const Record& r = records[index];
  if (r.erased || r.first == kNone) return 0;
  if (r.edit == kNone) return RawEnd(r.first + r.count - 1) - tokens_.tags[r.first].lineOffset;
  size_t size = 0;
  const TagList& tags = edits_[r.edit];
  for (size_t i = 0; i < tags.size(); ++i) size += At(tags, i).value.size() + 8;
  return size;
}

bool Document::Serialise(const std::function<bool(std::string_view)>& write) const {
  // Runs of records are put together on the worker threads and handed to
  // `write` here, in order. A run is cut at about kRunBytes, and only a few
  // runs are made ahead of the one written: each is written while it is
  // still in the cache, its buffer made again for a later run.
  constexpr size_t kRunBytes = size_t{128} << 10;
  const uint32_t count = static_cast<uint32_t>(records.size());
  std::vector<uint32_t> runStart{0};
  size_t size = 0;
  for (uint32_t i = 0; i < count; ++i) {
    size += SizeGuess(i);
    if (size >= kRunBytes && i + 1 < count) {
      runStart.push_back(i + 1);
      size = 0;
    }
  }
  runStart.push_back(count);
  const size_t runs = runStart.size() - 1;
  const int threads = wb::WorkerThreads();
  const size_t ahead = threads > 1 ? 4 * static_cast<size_t>(threads) : 1;
  std::vector<std::string> pieces(ahead);
  wb::OrderedWork work(runs, threads, [&](size_t run, int) {
    std::string& out = pieces[run % ahead];
    out.clear();
    // The bytes before the first record (a byte order mark) lead the
    // first run; a run of untouched records is copied as one span.
    size_t spanBegin = 0, spanEnd = run == 0 ? bodyStart_ : 0;
    for (uint32_t i = runStart[run]; i < runStart[run + 1]; ++i) {
      if (records[i].first == kNone) continue;  // made in memory: emitted by its anchor
      Emit(i, out, spanBegin, spanEnd);
    }
    out.append(buffer_, spanBegin, spanEnd - spanBegin);
  }, ahead);
  for (size_t run = 0; run < runs; ++run) {
    work.Wait(run);
    if (!write(pieces[run % ahead])) return false;
  }
  return write(std::string_view(buffer_).substr(std::min(static_cast<size_t>(tokens_.end), buffer_.size())));
}

}  // namespace wb::dxf
