#include "MszipFolders.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"

namespace mszip {
namespace {

constexpr uint16_t kFlagPrevious = 0x0001, kFlagNext = 0x0002, kFlagReserve = 0x0004;
constexpr int kHeaderBytes = 36, kFolderBytes = 8, kBlockHeadBytes = 8;
constexpr int kMaxUncompressed = 32768, kMaxCompressed = 32768 + 6144;
constexpr int kCompressionMask = 0x000F, kCompressionMszip = 1;
constexpr size_t kPieceBytes = 256 * 1024;

bool ReadExactly(const TReadAt& read, int64_t offset, void* into, size_t n) {
  return read(offset, into, n) == static_cast<int64_t>(n);
}

uint16_t Int16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The cabinet checksum: the data as little-endian words XORed together, the
// bytes left over taken high to low, then the block's two lengths.
uint32_t Checksum(const uint8_t* data, size_t bytes, uint32_t sum) {
  for (size_t i = 0; i + 4 <= bytes; i += 4) sum ^= static_cast<uint32_t>(platform::Int32LE(data + i));
  uint32_t rest = 0;
  const uint8_t* tail = data + bytes / 4 * 4;
  switch (bytes & 3) {
    case 3: rest |= static_cast<uint32_t>(*tail++) << 16; [[fallthrough]];
    case 2: rest |= static_cast<uint32_t>(*tail++) << 8; [[fallthrough]];
    case 1: rest |= *tail;
  }
  return sum ^ rest;
}

}  // namespace

std::optional<TLoneCabinet> ReadLoneCabinet(const TReadAt& read) {
  uint8_t header[kHeaderBytes + 4];
  if (!ReadExactly(read, 0, header, kHeaderBytes) || std::memcmp(header, "MSCF", 4) != 0) return std::nullopt;
  const uint16_t flags = Int16At(header + 30);
  if (flags & (kFlagPrevious | kFlagNext)) return std::nullopt;
  TLoneCabinet cabinet;
  int64_t at = kHeaderBytes;
  int folderReserve = 0;
  if (flags & kFlagReserve) {
    if (!ReadExactly(read, kHeaderBytes, header + kHeaderBytes, 4)) return std::nullopt;
    at += 4 + Int16At(header + kHeaderBytes);
    folderReserve = header[kHeaderBytes + 2];
    cabinet.blockReserve = header[kHeaderBytes + 3];
  }
  const int folders = Int16At(header + 26);
  for (int f = 0; f < folders; ++f, at += kFolderBytes + folderReserve) {
    uint8_t entry[kFolderBytes];
    if (!ReadExactly(read, at, entry, sizeof entry)) return std::nullopt;
    TFolderData data;
    data.firstBlock = static_cast<uint32_t>(platform::Int32LE(entry));
    data.blocks = Int16At(entry + 4);
    data.mszip = (Int16At(entry + 6) & kCompressionMask) == kCompressionMszip;
    cabinet.folders.push_back(data);
  }
  return cabinet;
}

bool TFolderReader::DecodeNextBlock(const TReadAt& read, const TLoneCabinet& cabinet) {
  const TFolderData& data = cabinet.folders[static_cast<size_t>(folder_)];
  if (nextBlock_ >= data.blocks) return false;
  uint8_t head[kBlockHeadBytes];
  if (!Fetch(read, nextBlockAt_, head, sizeof head)) return false;
  const uint32_t stated = static_cast<uint32_t>(platform::Int32LE(head));
  const int compressedBytes = Int16At(head + 4), uncompressedBytes = Int16At(head + 6);
  if (compressedBytes < 2 || compressedBytes > kMaxCompressed || uncompressedBytes > kMaxUncompressed) return false;
  compressed_.resize(static_cast<size_t>(compressedBytes));
  const int64_t dataAt = nextBlockAt_ + kBlockHeadBytes + cabinet.blockReserve;
  if (!Fetch(read, dataAt, compressed_.data(), compressed_.size())) return false;
  if (stated != 0 && Checksum(head + 4, 4, Checksum(compressed_.data(), compressed_.size(), 0)) != stated)
    return false;
  if (compressed_[0] != 'C' || compressed_[1] != 'K') return false;
  // Each block is a whole deflate stream whose window is what came before it.
  inflate_state state;
  isal_inflate_init(&state);
  if (!history_.empty() &&
      isal_inflate_set_dict(&state, history_.data(), static_cast<uint32_t>(history_.size())) != ISAL_DECOMP_OK)
    return false;
  block_.resize(kMaxUncompressed);
  state.next_in = compressed_.data() + 2;
  state.avail_in = static_cast<uint32_t>(compressed_.size() - 2);
  state.next_out = block_.data();
  state.avail_out = static_cast<uint32_t>(block_.size());
  if (isal_inflate(&state) != ISAL_DECOMP_OK || state.block_state != ISAL_BLOCK_FINISH ||
      state.total_out != static_cast<uint32_t>(uncompressedBytes))
    return false;
  block_.resize(static_cast<size_t>(uncompressedBytes));
  // The window: the last 32 KiB decoded, across blocks shorter than that.
  history_.insert(history_.end(), block_.begin(), block_.end());
  if (history_.size() > kMaxUncompressed)
    history_.erase(history_.begin(), history_.end() - kMaxUncompressed);
  ++nextBlock_;
  nextBlockAt_ = dataAt + compressedBytes;
  return true;
}

bool TFolderReader::Fetch(const TReadAt& read, int64_t offset, void* into, size_t n) {
  const int64_t end = offset + static_cast<int64_t>(n);
  if (offset < aheadAt_ || end > aheadAt_ + static_cast<int64_t>(ahead_.size())) {
    ahead_.resize(std::max(kPieceBytes, n));
    const int64_t got = read(offset, ahead_.data(), ahead_.size());
    ahead_.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
    aheadAt_ = offset;
    if (got < static_cast<int64_t>(n)) return false;
  }
  std::memcpy(into, ahead_.data() + (offset - aheadAt_), n);
  return true;
}

bool TFolderReader::Give(const TWrite& write, const uint8_t* data, size_t n) {
  pending_.insert(pending_.end(), data, data + n);
  return pending_.size() < kPieceBytes || Flush(write);
}

bool TFolderReader::Flush(const TWrite& write) {
  if (pending_.empty()) return true;
  const bool more = write(pending_.data(), pending_.size());
  pending_.clear();
  return more;
}

TFolderReader::TResult TFolderReader::Read(const TReadAt& read, const TLoneCabinet& cabinet, int folder,
                                           int64_t offset, int64_t length, const TWrite& write) {
  if (folder < 0 || static_cast<size_t>(folder) >= cabinet.folders.size() ||
      !cabinet.folders[static_cast<size_t>(folder)].mszip)
    return TResult::Unsound;
  // The block in hand, if any, covers decoded_ to decoded_ + block_.size().
  if (folder != folder_ || offset < decoded_) {
    folder_ = folder;
    nextBlock_ = 0;
    nextBlockAt_ = cabinet.folders[static_cast<size_t>(folder)].firstBlock;
    decoded_ = 0;
    history_.clear();
    block_.clear();
  }
  const int64_t end = offset + length;
  int64_t at = offset;
  pending_.clear();
  while (at < end) {
    const int64_t blockEnd = decoded_ + static_cast<int64_t>(block_.size());
    if (at < blockEnd) {
      const int64_t n = std::min(end, blockEnd) - at;
      if (!Give(write, block_.data() + (at - decoded_), static_cast<size_t>(n))) return TResult::Ended;
      at += n;
      continue;
    }
    decoded_ = blockEnd;
    block_.clear();
    if (!DecodeNextBlock(read, cabinet)) {
      // What was decoded can't be trusted to continue from; what was given is sound.
      folder_ = -1;
      return Flush(write) ? TResult::Unsound : TResult::Ended;
    }
  }
  return Flush(write) ? TResult::Whole : TResult::Ended;
}

}  // namespace mszip
