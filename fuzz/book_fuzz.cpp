// Arbitrary ".mbx"/".mbk" bytes through the book reader and the book move
// choice.
//
// Input: a control byte, a two-byte length L, then L bytes of index and the
// rest as the data file. An index of the right size is rare in fuzzing, so
// unless the control byte asks for the bytes as they are, the L bytes are
// repeated to fill the whole index.
#include <algorithm>
#include <vector>

#include "book/book_choice.h"
#include "book/opening_book.h"
#include "core/position.h"
#include "fuzz_support.h"

namespace {

constexpr uint8_t ExactIndexFlag = 0x01;
constexpr size_t HeaderBytes = 3;
constexpr int ProbesPerRecord = 2;
constexpr int MaxProbedRecords = 256;

constexpr const char* ProbePositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
    "4k3/8/8/8/8/8/3q4/4K3 w - -",
};

uint64_t loadLittle64(const uint8_t* p, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n && i < 8; ++i) v |= uint64_t{p[i]} << (8 * i);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < HeaderBytes) return 0;
  fuzzInitialize();
  clearScratchDirectory();
  const uint8_t control = data[0];
  size_t indexLength = std::min<size_t>(data[1] | data[2] << 8, size - HeaderBytes);
  const uint8_t* indexBytes = data + HeaderBytes;
  const uint8_t* dataBytes = indexBytes + indexLength;
  const size_t dataLength = size - HeaderBytes - indexLength;

  std::vector<uint8_t> index;
  if ((control & ExactIndexFlag) || indexLength == 0) {
    index.assign(indexBytes, indexBytes + indexLength);
  } else {
    index.resize(BookIndexBytes);
    for (size_t i = 0; i < index.size(); ++i) index[i] = indexBytes[i % indexLength];
  }
  // The same pair serves as both books of the engine.
  for (const char* name : {"bookwtm", "bookbtm"}) {
    writeScratchFile((std::string(name) + ".mbx").c_str(), index.data(), index.size());
    writeScratchFile((std::string(name) + ".mbk").c_str(), dataBytes, dataLength);
  }

  const bool opened = Book.open();
  fuzzCheck(opened || Book.books[0].recordCount() == 0 || Book.books[1].recordCount() == 0,
            "a refused book still holds records");
  BookFile& book = Book.books[White];
  if (opened) {
    fuzzCheck(book.recordCount() == static_cast<int64_t>(dataLength / BookRecordBytes),
              "record count differs from the data size");
  }
  // Keys built from the records themselves (found when the index leads to
  // them) and their neighbours, and keys from the raw bytes.
  for (size_t r = 0; r < dataLength / BookRecordBytes && r < MaxProbedRecords; ++r) {
    const uint64_t stored = loadLittle64(dataBytes + r * BookRecordBytes, BookRecordBytes);
    for (int k = 0; k < ProbesPerRecord; ++k) {
      const uint64_t top = static_cast<uint64_t>(control ^ (r * 131 + k)) << BookBucketShift;
      book.contains(stored | top);
      book.contains((stored + 1) | top);
    }
  }
  for (size_t i = 0; i + 8 <= size; i += 8) book.contains(loadLittle64(data + i, 8));

  // The move choice over real positions, White and Black to move.
  const char* fen = ProbePositions[control % (sizeof ProbePositions / sizeof ProbePositions[0])];
  fuzzCheck(readFen(fen), "probe position refused");
  const uint64_t key = Pos.key;
  chooseBookMoveWith(control);
  fuzzCheck(Pos.key == key && positionIsConsistent(), "book move choice changed the position");
  Book.books[0].close();
  Book.books[1].close();
  return 0;
}
