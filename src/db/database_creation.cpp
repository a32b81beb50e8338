#include "db/database_creation.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/file_io.h"
#include "db/position_database.h"

namespace {

constexpr int KeyDigits = 16;
constexpr int FieldsStart = 17;

bool endsField(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Skips one field and the single separator after it; nullptr when the line
// ends before the separator.
const char* pastField(const char* p) {
  while (!endsField(*p)) ++p;
  return (*p == ' ' || *p == '\t') ? p + 1 : nullptr;
}

// The counters of one pass.
struct PassState {
  PositionRecord accumulated{};
  bool haveRecord = false;
  int lineCounter = 0;
  unsigned recordsWritten = 0;
  unsigned linesMerged = 0;
  uint64_t bytesConsumed = 0;
  uint64_t inputSize = 0;
  int lastPercent = 0;
  bool success = true;
  bool writeFailed = false;
  bool readFailed = false;
};

bool writeRecord(FILE* out, const PositionRecord& record) {
  uint8_t bytes[PositionRecordBytes];
  packRecord(record, bytes);
  return fwrite(bytes, PositionRecordBytes, 1, out) == 1;
}

void showProgress(PassState& pass) {
  // A file that grew since its size was taken must not show more than 100.
  uint64_t percent = pass.inputSize == 0 ? 100 : pass.bytesConsumed * 100 / pass.inputSize;
  if (percent > 100) percent = 100;
  if (static_cast<int>(percent) > pass.lastPercent) {
    pass.lastPercent = static_cast<int>(percent);
    printf("\b\b\b\b%3d%%", pass.lastPercent);
    fflush(stdout);
  }
}

// Reads one line into the buffer, at most its first 254 characters; the rest
// of a longer line is read away, never taken as a line of its own. Returns
// the bytes the whole line took in the file, 0 at the end of the input.
size_t readLine(FILE* in, char* line) {
  constexpr size_t Room = PositionLineBufferBytes - 1;
  size_t kept = 0;
  size_t consumed = 0;
  int c;
  while ((c = getc_unlocked(in)) != EOF) {
    ++consumed;
    if (kept < Room) line[kept++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[kept] = '\0';
  return consumed;
}

// Step 3: the input opened and checked, then the output's temporary made;
// nothing is created unless the input opened.
bool openPassFiles(const char* inputPath, const char* outputPath, FILE*& in,
                   ReplacementFile& output, FILE*& out, char* message) {
  bool notRegular = false;
  in = openRegularStream(inputPath, &notRegular);
  if (!in) {
    snprintf(message, DatabaseMessageBytes, "Cannot open file: %s%s\n", inputPath,
             openFailureNote(notRegular));
    return false;
  }
  out = output.begin(outputPath) ? output.stream("wb") : nullptr;
  if (!out) {
    fclose(in);
    snprintf(message, DatabaseMessageBytes, "Cannot create file: %s%s\n", outputPath,
             output.note());
    output.discard();
    return false;
  }
  return true;
}

// Steps 4.5-4.8: a parsed line of the pass's side joins the record in hand
// or, under a greater key, writes it out and starts the next one. False
// ends the pass: at unsorted input (a failure with its message) or at a
// failed write.
bool addToRecord(PassState& pass, const PositionRecord& record, const char* line, FILE* out,
                 char* message) {
  // 4.5 The first line of the pass starts the first record.
  if (!pass.haveRecord) {
    pass.accumulated = record;
    pass.haveRecord = true;
    return true;
  }
  if (record.key != pass.accumulated.key) {
    // 4.6 A new key: smaller means unsorted input, greater ends the record.
    if (record.key < pass.accumulated.key) {
      snprintf(message, DatabaseMessageBytes,
               "ERROR: input file with positions not sorted by hash!\n%s\n", line);
      pass.success = false;
      return false;
    }
    if (!writeRecord(out, pass.accumulated)) {
      pass.writeFailed = true;
      return false;
    }
    ++pass.recordsWritten;
    pass.accumulated = record;
    showProgress(pass);
  } else if (samePosition(record, pass.accumulated)) {
    // 4.7 The same position again: one more game, earliest ply kept.
    if (plyOf(pass.accumulated) > plyOf(record)) {
      pass.accumulated.plyByte =
          static_cast<uint8_t>((pass.accumulated.plyByte & RecordHasEnPassant) | plyOf(record));
    }
    pass.accumulated.whiteWins += record.whiteWins;
    pass.accumulated.blackWins += record.blackWins;
    pass.accumulated.draws += record.draws;
    ++pass.linesMerged;
  } else {
    // 4.8 Another position under the same key: one record per key, the
    //     newest one wins.
    pass.accumulated = record;
  }
  return true;
}

// Step 5: the record in hand is written, also after a sort error, and both
// files are closed. An input that could not be read to its end is a
// failure, not a short database.
void finishPassFiles(PassState& pass, FILE* in, ReplacementFile& output, FILE* out,
                     const char* inputPath, const char* outputPath, char* message) {
  const bool readFailed = ferror(in) != 0;
  fclose(in);
  if (!pass.writeFailed && pass.haveRecord && !writeRecord(out, pass.accumulated))
    pass.writeFailed = true;
  if (pass.writeFailed) output.fail();
  if (!output.finishWriting()) pass.writeFailed = true;
  if (pass.writeFailed) {
    snprintf(message, DatabaseMessageBytes, "Cannot write file: %s\n", outputPath);
    pass.success = false;
  } else if (readFailed) {
    snprintf(message, DatabaseMessageBytes, "Cannot read file: %s\n", inputPath);
    pass.success = false;
    pass.readFailed = true;
  }
}

}  // namespace

bool parsePositionLine(const char* line, PositionRecord& record) {
  record = PositionRecord{};
  if (strnlen(line, FieldsStart) < FieldsStart) return false;
  // Key: the first sixteen characters in hexadecimal.
  int digits = 0;
  for (; digits < KeyDigits && hexValue(line[digits]) >= 0; ++digits) {
    record.key = record.key << 4 | static_cast<uint64_t>(hexValue(line[digits]));
  }
  if (digits == 0) return false;

  // Placement, side, castling, en passant.
  const char* p = line + FieldsStart;
  encodeBoardNibbles(p, record.boardNibbles);
  if (!(p = pastField(p))) return false;
  if (*p == 'w') record.stateByte |= RecordWhiteToMove;
  if (!(p = pastField(p))) return false;
  for (; !endsField(*p); ++p) {
    if (*p == 'K') record.stateByte |= RecordWhiteKingSide;
    if (*p == 'Q') record.stateByte |= RecordWhiteQueenSide;
    if (*p == 'k') record.stateByte |= RecordBlackKingSide;
    if (*p == 'q') record.stateByte |= RecordBlackQueenSide;
  }
  if (!(p = pastField(p))) return false;
  if (*p >= 'a' && *p <= 'h') {
    record.stateByte |= static_cast<uint8_t>((*p - 'a') & RecordEnPassantFileMask);
    record.plyByte |= RecordHasEnPassant;
  }
  if (!(p = pastField(p))) return false;

  // Result, then the ply number.
  switch (*p) {
    case 'W':
      record.whiteWins = 1;
      break;
    case 'B':
      record.blackWins = 1;
      break;
    case 'D':
      record.draws = 1;
      break;
    default:
      return false;
  }
  if (p[1] == '\0' || p[1] == '\n') return false;
  p += 2;
  char* numberEnd;
  errno = 0;
  long ply = strtol(p, &numberEnd, 10);
  if (numberEnd == p) return false;
  if (errno == ERANGE || ply > MaxStoredPly) ply = ply < 0 ? 0 : MaxStoredPly;
  record.plyByte |= saturatePly(static_cast<int>(ply));
  return true;
}

DatabasePass createDatabase(const char* inputPath, const char* outputPath, char side,
                            ReplacementFile& output, char* message) {
  // 1. The side of the pass.
  if (side != 'W' && side != 'B') {
    snprintf(message, DatabaseMessageBytes, "WRONG STM parameter: %c\n", side);
    return DatabasePass::Failed;
  }
  const bool wantWhite = side == 'W';

  // 2. The input's size drives the progress display.
  struct stat status;
  if (stat(inputPath, &status) != 0) {
    snprintf(message, DatabaseMessageBytes, "Cannot open file statistics: %s\n", inputPath);
    return DatabasePass::Failed;
  }

  // 3. Input and output; nothing is written unless both are open.
  FILE* in = nullptr;
  FILE* out = nullptr;
  if (!openPassFiles(inputPath, outputPath, in, output, out, message)) return DatabasePass::Failed;
  printf("creating new database '%s':  0%%", outputPath);
  fflush(stdout);

  PassState pass;
  pass.inputSize = static_cast<uint64_t>(status.st_size);
  char line[PositionLineBufferBytes];
  PositionRecord record;

  // 4. Line by line; the input is sorted, so one record is built at a time.
  while (size_t lineBytes = readLine(in, line)) {
    // 4.1 Short lines do not count.
    if (strlen(line) < PositionLineMinimum) continue;
    // 4.2 A line without a valid result is reported and skipped.
    ++pass.lineCounter;
    if (!parsePositionLine(line, record)) {
      printf("\nparse error skipped line: %d\n%s\n", pass.lineCounter, line);
      continue;
    }
    // 4.3 Consumed bytes are the bytes the line took in the file.
    pass.bytesConsumed += lineBytes;
    // 4.4 Lines of the other side belong to the other pass.
    if (isWhiteToMove(record) != wantWhite) {
      --pass.lineCounter;
      continue;
    }
    // 4.5-4.8 The line joins the record in hand or starts the next one.
    if (!addToRecord(pass, record, line, out, message)) break;
  }

  // 5. The record in hand is written, also after a sort error, and the files
  //    closed; a read or write failure fails the pass.
  finishPassFiles(pass, in, output, out, inputPath, outputPath, message);

  // 6. A finished pass always ends by showing all of the input done.
  if (pass.success) printf("\b\b\b\b100%%... done.\n");
  fflush(stdout);
  // What was read short of the input's end is no database of it.
  if (pass.writeFailed || pass.readFailed) {
    output.discard();
    return DatabasePass::Failed;
  }
  return pass.success ? DatabasePass::Done : DatabasePass::Unsorted;
}

bool createDatabase(const char* inputPath, const char* outputPath, char side, char* message) {
  ReplacementFile output;
  const DatabasePass pass = createDatabase(inputPath, outputPath, side, output, message);
  if (pass == DatabasePass::Failed) return false;
  if (!output.commit()) {
    snprintf(message, DatabaseMessageBytes, "Cannot write file: %s\n", outputPath);
    return false;
  }
  return pass == DatabasePass::Done;
}
