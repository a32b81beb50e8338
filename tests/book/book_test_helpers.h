// Shared by the book tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "book/opening_book.h"

// Writes a book with the keys (sorted here) and expects every step to succeed.
inline void writeBook(const char* baseName, std::vector<uint64_t> keys) {
  std::sort(keys.begin(), keys.end());
  auto book = std::make_unique<BookFile>();
  char message[BookMessageBytes] = {};
  ASSERT_TRUE(book->create(baseName, message)) << message;
  for (uint64_t key : keys) ASSERT_TRUE(book->append(key));
  ASSERT_TRUE(book->finish(message)) << message;
}
