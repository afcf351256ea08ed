// The MSZIP folders of a lone cabinet decoded with ISA-L, several times as
// fast as libmspack's own inflate. Only what is sure to come out as libmspack
// gives it is taken here: a cabinet that is not part of a set, a folder of
// MSZIP, blocks whose checksums hold and that decode to exactly the length
// they state. Anything else is left to libmspack, which picks up where the
// sound bytes end, so that every damaged or unusual cabinet is read, or
// refused, exactly as before.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace mszip {

// Up to `n` of a cabinet's bytes from `offset` (from its first): how many
// were read, fewer only at its end, or -1 when they can't be read.
using TReadAt = std::function<int64_t(int64_t offset, void* into, size_t n)>;

struct TFolderData {
  int64_t firstBlock = 0;  // from the cabinet's start
  int blocks = 0;
  bool mszip = false;
};

struct TLoneCabinet {
  std::vector<TFolderData> folders;  // in the order of the folder table
  int blockReserve = 0;              // bytes reserved in each data block's head
};

// The folder table of a cabinet that neither continues nor is continued;
// nothing for one of a set, or one whose header can't be read.
std::optional<TLoneCabinet> ReadLoneCabinet(const TReadAt& read);

// Gives a folder's bytes from `offset` on, `length` of them, each block only
// once it is known sound. The cabinet is read, and the bytes given, in pieces
// of a few hundred KiB rather than a block at a time: a long, still movie
// compresses its 32 KiB blocks to a few hundred bytes each, and a call for
// each was most of its extraction. Consecutive ranges of one folder go on
// from where the last ended rather than from its start.
class TFolderReader {
 public:
  enum class TResult {
    Whole,    // every byte given
    Ended,    // `write` said enough
    Unsound,  // a block can't be read or decoded soundly; the bytes given are sound
  };
  using TWrite = std::function<bool(const uint8_t* data, size_t n)>;

  TResult Read(const TReadAt& read, const TLoneCabinet& cabinet, int folder, int64_t offset, int64_t length,
               const TWrite& write);

 private:
  bool DecodeNextBlock(const TReadAt& read, const TLoneCabinet& cabinet);
  // Exactly n bytes from offset, through the read-ahead.
  bool Fetch(const TReadAt& read, int64_t offset, void* into, size_t n);
  // Bytes for `write`, handed on when enough have gathered; false when it said enough.
  bool Give(const TWrite& write, const uint8_t* data, size_t n);
  bool Flush(const TWrite& write);

  int folder_ = -1;
  int nextBlock_ = 0;
  int64_t nextBlockAt_ = 0;
  int64_t decoded_ = 0;  // bytes of the folder decoded before the current block
  std::vector<uint8_t> history_, block_, compressed_;
  std::vector<uint8_t> ahead_, pending_;
  int64_t aheadAt_ = 0;
};

}  // namespace mszip
