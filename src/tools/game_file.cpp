#include "tools/game_file.h"

#include <cstring>

#include "core/make_move.h"
#include "core/move_text.h"
#include "core/position.h"
#include "movegen/legal_moves.h"
#include "movegen/legality.h"

namespace {

constexpr int RecordBytesLimit = GameHeaderBytes + MoveBytes * MaxGamePlies;
constexpr char HexDigits[] = "0123456789ABCDEF";

uint16_t decode16(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

void encode16(unsigned char* bytes, uint16_t value) {
  bytes[0] = static_cast<unsigned char>(value & 0xFF);
  bytes[1] = static_cast<unsigned char>(value >> 8);
}

// Outcome of reading one record's bytes.
enum class RecordRead { Complete, End, PartialHeader, BadResult, TooLong, CutShort, Failed };

// Reads the raw bytes of one record into `bytes` (RecordBytesLimit of room)
// without reading past what the header allows.
RecordRead readRecordBytes(std::FILE* in, unsigned char* bytes, int& plies) {
  const size_t got = std::fread(bytes, 1, GameHeaderBytes, in);
  if (got < static_cast<size_t>(GameHeaderBytes)) {
    if (std::ferror(in)) return RecordRead::Failed;
    return got == 0 ? RecordRead::End : RecordRead::PartialHeader;
  }
  const uint16_t header = decode16(bytes);
  plies = header & PlyCountMask;
  if ((header & ResultCodeMask) == 0) return RecordRead::BadResult;
  if (plies > MaxGamePlies) return RecordRead::TooLong;
  const size_t moveBytes = static_cast<size_t>(plies) * MoveBytes;
  if (std::fread(bytes + GameHeaderBytes, 1, moveBytes, in) != moveBytes) {
    return std::ferror(in) ? RecordRead::Failed : RecordRead::CutShort;
  }
  return RecordRead::Complete;
}

uint64_t digestOf(const GameRecord& game) {
  // FNV-1a over the 16-bit values; equal records always agree.
  uint64_t h = 0xCBF29CE484222325ull;
  const auto mix = [&h](uint16_t v) {
    h ^= v;
    h *= 0x100000001B3ull;
  };
  mix(game.header);
  for (int k = 0; k < game.plyCount(); ++k) mix(game.moves[k]);
  return h ^ (h >> 29);
}

void decodeRecord(const unsigned char* bytes, GameRecord& game) {
  game.header = decode16(bytes);
  for (int k = 0; k < game.plyCount(); ++k) {
    game.moves[k] = decode16(bytes + GameHeaderBytes + MoveBytes * k);
  }
}

// Appends the position line of Pos with ply number `ply`; returns the end.
char* formatPositionLine(char* p, char resultChar, int ply) {
  uint64_t key = Pos.key;
  for (int k = 15; k >= 0; --k) {
    p[k] = HexDigits[key & 15];
    key >>= 4;
  }
  p += 16;
  *p++ = '\t';
  p = writeFen(p);
  *p++ = '\t';
  *p++ = resultChar;
  *p++ = '\t';
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + ply % 10);
    ply /= 10;
  } while (ply > 0);
  while (n > 0) *p++ = digits[--n];
  *p++ = '\n';
  return p;
}

template <typename PickOutput>
void replayWritingLines(const GameRecord& game, int limit, PickOutput pick) {
  const int plies = game.plyCount() < limit ? game.plyCount() : limit;
  // Room for the key, the FEN text and the fields around them.
  char line[160];
  for (int p = 0; p < plies; ++p) {
    const char* end = formatPositionLine(line, game.resultChar, p + 1);
    pick(line[0]).write(line, static_cast<size_t>(end - line));
    savePlyState(ReplayStates[p]);
    makeMove(game.moves[p], ReplayStates[p]);
  }
  for (int p = plies - 1; p >= 0; --p) unmakeMove(game.moves[p], ReplayStates[p]);
}

}  // namespace

bool readGameRecord(std::FILE* in, GameRecord& game) {
  static unsigned char bytes[RecordBytesLimit];
  int plies = 0;
  switch (readRecordBytes(in, bytes, plies)) {
    case RecordRead::End:
    case RecordRead::PartialHeader:
    case RecordRead::Failed:
      return false;
    case RecordRead::BadResult:
      throw PgnError{"WRONG RESULT"};
    case RecordRead::TooLong:
      throw PgnError{"WRONG PLY COUNT"};
    case RecordRead::CutShort:
      throw PgnError{"GAME RECORD CUT SHORT"};
    case RecordRead::Complete:
      break;
  }
  decodeRecord(bytes, game);
  setResultFromCode(game, game.resultCode());
  return true;
}

int countGameRecords(std::FILE* in) {
  static unsigned char bytes[RecordBytesLimit];
  const long start = std::ftell(in);
  int count = 0;
  int outcome = 0;
  for (;;) {
    int plies = 0;
    const RecordRead r = readRecordBytes(in, bytes, plies);
    if (r == RecordRead::Complete) {
      ++count;
      continue;
    }
    if (r == RecordRead::End || r == RecordRead::PartialHeader) {
      outcome = count;
    } else if (r == RecordRead::Failed) {
      outcome = -1;
    } else {
      outcome = -(count + 1);
    }
    break;
  }
  std::clearerr(in);
  if (start >= 0) std::fseek(in, start, SEEK_SET);
  return outcome;
}

bool writeGameRecord(std::FILE* out, const GameRecord& game) {
  unsigned char bytes[RecordBytesLimit];
  const int plies = game.plyCount() <= MaxGamePlies ? game.plyCount() : MaxGamePlies;
  encode16(bytes, static_cast<uint16_t>((game.header & ResultCodeMask) | plies));
  for (int k = 0; k < plies; ++k) encode16(bytes + GameHeaderBytes + MoveBytes * k, game.moves[k]);
  const size_t size = GameHeaderBytes + static_cast<size_t>(plies) * MoveBytes;
  return std::fwrite(bytes, 1, size, out) == size;
}

bool sameGame(const GameRecord& a, const GameRecord& b) {
  if (a.header != b.header) return false;
  return std::memcmp(a.moves, b.moves, sizeof(Move) * static_cast<size_t>(a.plyCount())) == 0;
}

int GameFileIndex::load(std::FILE* file) {
  static unsigned char bytes[RecordBytesLimit];
  static GameRecord game;
  offsets_.clear();
  std::clearerr(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  int count = 0;
  for (;;) {
    const long offset = std::ftell(file);
    int plies = 0;
    const RecordRead r = readRecordBytes(file, bytes, plies);
    if (r == RecordRead::End) return count;
    if (r == RecordRead::Failed) return -1;
    if (r != RecordRead::Complete) return -(count + 1);
    decodeRecord(bytes, game);
    add(game, offset);
    ++count;
  }
}

bool GameFileIndex::contains(std::FILE* file, const GameRecord& game) {
  static GameRecord stored;
  const auto [first, last] = offsets_.equal_range(digestOf(game));
  for (auto it = first; it != last; ++it) {
    std::clearerr(file);
    if (std::fseek(file, it->second, SEEK_SET) != 0) continue;
    try {
      if (readGameRecord(file, stored) && sameGame(stored, game)) return true;
    } catch (const PgnError&) {
      // The record changed under us; it is not this game.
    }
  }
  return false;
}

void GameFileIndex::add(const GameRecord& game, long offset) {
  offsets_.emplace(digestOf(game), offset);
}

void writePositionLines(TextOutput& out, const GameRecord& game, int limit) {
  replayWritingLines(game, limit, [&out](char) -> TextOutput& { return out; });
}

void writePositionLines(TextOutput* outs, const GameRecord& game, int limit) {
  replayWritingLines(game, limit, [outs](char firstDigit) -> TextOutput& {
    const int n = firstDigit <= '9' ? firstDigit - '0' : firstDigit - 'A' + 10;
    return outs[n];
  });
}

bool gameIsPlayable(const GameRecord& game, int limit) {
  const int plies = game.plyCount() < limit ? game.plyCount() : limit;
  int played = 0;
  bool playable = true;
  while (played < plies) {
    const Move m = game.moves[played];
    if (!isGeneratedMove(m)) {
      playable = false;
      break;
    }
    const Side mover = Pos.side;
    savePlyState(ReplayStates[played]);
    makeMove(m, ReplayStates[played]);
    ++played;
    if (kingLeftInCheck(m, mover)) {
      playable = false;
      break;
    }
  }
  while (played > 0) {
    --played;
    unmakeMove(game.moves[played], ReplayStates[played]);
  }
  return playable;
}

void writePgnGame(TextOutput& out, const GameRecord& game) {
  out.write("[Result \"");
  out.write(game.resultText);
  out.write("\"]\n");
  char text[16];
  for (int p = 1; p <= game.plyCount(); ++p) {
    if (p % 2 == 1) {
      std::snprintf(text, sizeof text, "%d. ", (p + 1) / 2);
      out.write(text);
    }
    char* end = moveToText(text, game.moves[p - 1]);
    *end++ = ' ';
    out.write(text, static_cast<size_t>(end - text));
  }
  out.write(game.resultText);
  out.put('\n');
}
