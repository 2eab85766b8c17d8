#include "rtl/streams.h"

#include <algorithm>
#include <cstring>
#include <limits>

void TStream::SetSize(int64_t) {
  throw EStreamError(u"Stream size cannot be changed");
}

int64_t TStream::Size() {
  const int64_t position = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(u"Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr int32_t kChunk = 64 * 1024;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(count, 1), kChunk)));
  const int64_t total = count;
  while (count > 0) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(chunk.size())));
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    count -= n;
  }
  return total;
}

// ---- TCustomMemoryStream

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  const int64_t n = std::min<int64_t>(count, size_ - position_);
  std::memcpy(buffer, memory_ + position_, static_cast<size_t>(n));
  position_ += n;
  return static_cast<int32_t>(n);
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size_;
  // A position before the beginning is refused; one past the end is allowed
  // (reads there return nothing, a write fills the gap).
  if ((offset < 0 && base + offset < 0) ||
      (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset)) {
    throw EStreamError(u"Invalid stream position");
  }
  position_ = base + offset;
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& dest) {
  for (int64_t done = 0; done < size_;) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(size_ - done, std::numeric_limits<int32_t>::max()));
    dest.WriteBuffer(memory_ + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const String& file_name) {
  TFileStream file(file_name, fmCreate);
  SaveToStream(file);
}

void TCustomMemoryStream::SetPointer(uint8_t* memory, int64_t size) {
  memory_ = memory;
  size_ = size;
}

// ---- TMemoryStream

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  const int64_t end = position_ + count;
  if (end > size_) SetSize(end);
  std::memcpy(memory_ + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(int64_t new_size) {
  if (new_size < 0) throw EStreamError(u"Invalid stream size");
  if (static_cast<uint64_t>(new_size) > buffer_.max_size()) {
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  }
  try {
    buffer_.resize(static_cast<size_t>(new_size));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  }
  SetPointer(buffer_.data(), new_size);
  if (position_ > new_size) position_ = new_size;
}

void TMemoryStream::Clear() {
  buffer_.clear();
  buffer_.shrink_to_fit();
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const int64_t size = source.Size();
  SetSize(size);
  position_ = 0;
  for (int64_t done = 0; done < size;) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(size - done, std::numeric_limits<int32_t>::max()));
    source.ReadBuffer(memory_ + done, n);
    done += n;
  }
}

void TMemoryStream::LoadFromFile(const String& file_name) {
  TFileStream file(file_name, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// ---- TResourceStream

TResourceStream::TResourceStream(const void* data, int64_t size) {
  // The bytes are never written through this pointer: Write and SetSize refuse.
  SetPointer(const_cast<uint8_t*>(static_cast<const uint8_t*>(data)), data ? size : 0);
}

int32_t TResourceStream::Write(const void*, int32_t) {
  throw EStreamError(u"Can't write to a read-only resource stream");
}

void TResourceStream::SetSize(int64_t) {
  throw EStreamError(u"Can't write to a read-only resource stream");
}
