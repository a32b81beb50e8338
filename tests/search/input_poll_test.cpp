// The input poll over a pipe, and the time limit.
#include "core/input_poll.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/clock.h"
#include "core/input.h"
#include "search/search_control.h"
#include "search/search_state.h"

namespace {

class InputPollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(fds_), 0);
    saved_ = inputDescriptor();
    setInputDescriptor(fds_[0]);
  }
  void TearDown() override {
    setInputDescriptor(saved_);
    close(fds_[0]);
    if (fds_[1] >= 0) close(fds_[1]);
  }
  int fds_[2] = {-1, -1};
  int saved_ = 0;
};

TEST_F(InputPollTest, EmptyPipeIsQuietAndDataIsPending) {
  EXPECT_EQ(inputPending(), 0);
  ASSERT_EQ(write(fds_[1], "force\n", 6), 6);
  EXPECT_EQ(inputPending(), 1);
  EXPECT_EQ(inputPending(), 1) << "polling does not consume the input";
}

TEST_F(InputPollTest, BytesAlreadyReadIntoTheBufferArePending) {
  ASSERT_EQ(write(fds_[1], "go quit\n", 8), 8);
  char word[16];
  ASSERT_TRUE(readWord(word, sizeof word));
  EXPECT_STREQ(word, "go");
  // The pipe itself is empty now; "quit" waits in the reader's buffer.
  EXPECT_EQ(inputPending(), 1);
}

TEST_F(InputPollTest, ClosedPipeCountsAsPending) {
  close(fds_[1]);
  fds_[1] = -1;
  EXPECT_EQ(inputPending(), 1);
}

TEST(TimeIsUp, FollowsTheBudgetExceptWhilePondering) {
  PonderingSearch = false;
  SearchStartClock = clockMs();
  MoveTimeBudget = 0;
  EXPECT_TRUE(timeIsUp());
  MoveTimeBudget = 60000;
  EXPECT_FALSE(timeIsUp());
  SearchStartClock = clockMs() - 60001;
  EXPECT_TRUE(timeIsUp());
  PonderingSearch = true;
  EXPECT_FALSE(timeIsUp()) << "the clock never runs out while pondering";
  // The huge budget of the "test" command must not overflow into the past.
  PonderingSearch = false;
  SearchStartClock = INT32_MAX - 10;
  MoveTimeBudget = INT32_MAX;
  EXPECT_FALSE(timeIsUp());
}

}  // namespace
