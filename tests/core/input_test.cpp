#include "core/input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

// Feeds `text` to the input layer through a pipe; the write end is closed, so
// the text is followed by the end of the input.
class InputFeed {
 public:
  explicit InputFeed(const std::string& text) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    // Write from a child so that texts larger than the pipe buffer fit.
    writer_ = fork();
    if (writer_ == 0) {
      close(fds[0]);
      size_t done = 0;
      while (done < text.size()) {
        ssize_t n = write(fds[1], text.data() + done, text.size() - done);
        if (n <= 0) _exit(1);
        done += static_cast<size_t>(n);
      }
      _exit(0);
    }
    close(fds[1]);
    readEnd_ = fds[0];
    setInputDescriptor(readEnd_);
  }
  ~InputFeed() {
    close(readEnd_);
    waitpid(writer_, nullptr, 0);
    setInputDescriptor(0);
  }

 private:
  pid_t writer_;
  int readEnd_;
};

std::string word(size_t capacity = 256) {
  std::string buffer(capacity, 'X');
  if (!readWord(buffer.data(), capacity)) return "<end>";
  return std::string(buffer.c_str());
}

TEST(Input, WordsAreSeparatedByBlanksTabsAndLineEnds) {
  InputFeed feed("  xboard\r\nprotover\t2\n\n  e2e4\r\n");
  EXPECT_EQ(word(), "xboard");
  EXPECT_EQ(word(), "protover");
  EXPECT_EQ(word(), "2");
  EXPECT_EQ(word(), "e2e4");
  EXPECT_FALSE(inputEnded());
  EXPECT_EQ(word(), "<end>");
  EXPECT_TRUE(inputEnded());
  EXPECT_EQ(word(), "<end>");
}

TEST(Input, OverlongWordIsCutAndTheRestDropped) {
  std::string huge(10000, 'a');
  InputFeed feed(huge + "b next");
  std::string buffer(256, '\0');
  ASSERT_TRUE(readWord(buffer.data(), 256));
  EXPECT_EQ(std::string(buffer.c_str()), std::string(255, 'a'));
  EXPECT_EQ(word(), "next");
  // Tiny buffers never receive more than they hold.
  InputFeed small("abcdef");
  char two[2] = {'X', 'X'};
  ASSERT_TRUE(readWord(two, sizeof two));
  EXPECT_EQ(two[0], 'a');
  EXPECT_EQ(two[1], '\0');
}

TEST(Input, RestOfLineKeepsLeadingBlankAndLineEnd) {
  InputFeed feed("setboard 8/8/8 w - -\nnew\n");
  EXPECT_EQ(word(), "setboard");
  char line[255];
  ASSERT_TRUE(readRestOfLine(line, sizeof line));
  EXPECT_STREQ(line, " 8/8/8 w - -\n");
  EXPECT_EQ(word(), "new");
  ASSERT_TRUE(readRestOfLine(line, sizeof line));
  EXPECT_STREQ(line, "\n");
  EXPECT_FALSE(readRestOfLine(line, sizeof line));
}

TEST(Input, OverlongLineIsCutAndItsRestDropped) {
  std::string longLine = " " + std::string(600, 'p') + "\nquit\n";
  InputFeed feed(longLine);
  char line[255];
  ASSERT_TRUE(readRestOfLine(line, sizeof line));
  EXPECT_EQ(std::string(line).size(), 254u);
  EXPECT_EQ(word(), "quit");
}

TEST(Input, LastLineWithoutLineEnd) {
  InputFeed feed(" 8/8 w");
  char line[64];
  ASSERT_TRUE(readRestOfLine(line, sizeof line));
  EXPECT_STREQ(line, " 8/8 w");
  EXPECT_TRUE(inputEnded());
}

TEST(Input, ReadIntLeavesAWordThatIsNoNumberUnread) {
  InputFeed feed("12 -7 +3 foo 4x 2147483648 -2147483648 99");
  int value = 0;
  ASSERT_TRUE(readInt(value));
  EXPECT_EQ(value, 12);
  ASSERT_TRUE(readInt(value));
  EXPECT_EQ(value, -7);
  ASSERT_TRUE(readInt(value));
  EXPECT_EQ(value, 3);
  EXPECT_FALSE(readInt(value));
  EXPECT_EQ(word(), "foo");
  EXPECT_FALSE(readInt(value));
  EXPECT_EQ(word(), "4x");
  EXPECT_FALSE(readInt(value));  // out of range
  EXPECT_EQ(word(), "2147483648");
  ASSERT_TRUE(readInt(value));
  EXPECT_EQ(value, -2147483647 - 1);
  ASSERT_TRUE(readInt(value));
  EXPECT_EQ(value, 99);
  EXPECT_FALSE(readInt(value));
  EXPECT_TRUE(inputEnded());
}

TEST(Input, ReadIntOnAHugeWordDoesNotConsumeIt) {
  InputFeed feed(std::string(5000, '7') + " 5");
  int value = 0;
  EXPECT_FALSE(readInt(value));
  std::string buffer(256, '\0');
  ASSERT_TRUE(readWord(buffer.data(), 256));
  EXPECT_EQ(std::string(buffer.c_str()), std::string(255, '7'));
  ASSERT_TRUE(readInt(value));
  EXPECT_EQ(value, 5);
}

TEST(Input, BufferedWordsArePendingInputButLineEndsAreNot) {
  InputFeed feed("go\r\nnew \n\n");
  EXPECT_EQ(word(), "go");
  EXPECT_TRUE(inputBuffered());
  EXPECT_EQ(word(), "new");
  EXPECT_FALSE(inputBuffered());
}

}  // namespace
