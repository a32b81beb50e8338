// Shared set-up for the search tests: a deterministic search (no clock, an
// input descriptor that never has data) on a freshly set-up position.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/clock.h"
#include "core/input.h"
#include "core/move_list.h"
#include "core/position.h"
#include "search/search_control.h"
#include "search/search_state.h"
#include "search/time_budget.h"
#include "search/transposition.h"
#include "support/test_support.h"

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTablesInitialized();
    ASSERT_EQ(pipe(input_), 0);
    savedDescriptor_ = inputDescriptor();
    setInputDescriptor(input_[0]);
    PonderingSearch = false;
    MovesToGo = 1;
    MoveTimeBudget = 1 << 30;  // effectively unlimited
    SearchStartClock = clockMs();
    StopSearch = false;
    MaxSearchDepth = 4;
    CurrentPly = PlyStack;
    InCheckCount[0] = InCheckCount[1] = 0;
    IterationDepth = 2;
    AspirationState = 0;
    NodeCount = 0;
    NextPollCount = PollInterval;
  }
  void TearDown() override {
    setInputDescriptor(savedDescriptor_);
    close(input_[0]);
    close(input_[1]);
    CurrentPly = PlyStack;
  }
  // Makes input pending, as a GUI command arriving during the search would.
  void sendInput(const char* text) { ASSERT_GT(write(input_[1], text, strlen(text)), 0); }
  // Sets up `fen` with the table and the move-ordering tables emptied.
  void setUp(const char* fen) {
    setUpPosition(fen);
    CurrentPly = PlyStack;
    PlyStack[0].listEnd = nullptr;
  }

  // Makes record `ply` current, as the search would on reaching that ply.
  void enterPly(int ply) {
    CurrentPly = PlyStack + ply;
    if (ply > 0) PlyStack[ply - 1].listEnd = MoveBuffer + ply * MaxMovesPerPosition;
  }

  int input_[2] = {-1, -1};
  int savedDescriptor_ = 0;
};
