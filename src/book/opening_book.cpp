#include "book/opening_book.h"

OpeningBook Book;

BookFile::BookFile() : index_{}, indexFd_(-1), dataFd_(-1), lastLow_(0), lastHigh_(0),
  readPosition_(0), recordCount_(0), written_(0), indexPath_{} {}
BookFile::~BookFile() {}
bool BookFile::open(const char*, char*) { return false; }
bool BookFile::contains(uint64_t) { return false; }
bool BookFile::create(const char*, char*) { return false; }
bool BookFile::append(uint64_t) { return false; }
bool BookFile::finish(char*) { return false; }
void BookFile::close() {}
bool OpeningBook::open() { return false; }
Move chooseBookMove() { return 0; }
