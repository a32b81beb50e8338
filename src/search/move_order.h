// Move selection shared by the alpha-beta and root searches.
#pragma once

#include <cstdint>
#include <utility>

#include "core/ply_state.h"

namespace MoveOrder {
constexpr int16_t HashMove = 30000;
constexpr int16_t Killer1 = -9998;
constexpr int16_t Killer2 = -9999;
constexpr int16_t ScoreStageFloor = -10000;   // lower scores wait for the history stage
constexpr uint32_t HistoryKeyOffset = 33000;  // makes every score + offset positive
constexpr Move HistoryIndexMask = 4095;       // from and to squares of a move
}  // namespace MoveOrder

// Marks the hash move and the killers of `record` in its list [start, end).
inline void markOrdering(const PlyState& record, MoveEntry* start, MoveEntry* end) {
  for (MoveEntry* e = start; e < end; ++e) {
    if (e->move == record.hashMove) {
      e->score = MoveOrder::HashMove;
    } else if (e->move == record.killer1) {
      e->score = MoveOrder::Killer1;
    } else if (e->move == record.killer2) {
      e->score = MoveOrder::Killer2;
    }
  }
}

inline bool isQuietOrCastling(Move m) {
  const int type = moveType(m);
  return type == QuietMove || type >= BlackCastleKing;
}

// Two-stage selection over one node's list: the best remaining score first
// while scores stay at or above the floor, then the greatest history key.
class MoveSelector {
 public:
  MoveSelector(PlyState& record, MoveEntry* start, MoveEntry* end, const uint32_t* history)
      : record_(record), start_(start), end_(end), next_(start), history_(history) {}

  // The next entry to search (swapped into place), or nullptr at the end.
  MoveEntry* next() {
    if (next_ >= end_) return nullptr;
    MoveEntry* current = next_++;
    if (!historyStage_) {
      MoveEntry* pick = current;
      for (MoveEntry* e = current + 1; e < end_; ++e) {
        if (e->score > pick->score) pick = e;
      }
      std::swap(*current, *pick);
      if (current->score >= MoveOrder::ScoreStageFloor) return current;
      enterHistoryStage(current);
    }
    uint32_t* keys = record_.historyKeys;
    const int first = static_cast<int>(current - start_);
    const int count = static_cast<int>(end_ - start_);
    int pick = first;
    for (int i = first + 1; i < count; ++i) {
      if (keys[i] > keys[pick]) pick = i;
    }
    std::swap(keys[first], keys[pick]);
    std::swap(start_[first], start_[pick]);
    return current;
  }

  // Entries already handed out, in the order they were searched.
  MoveEntry* searchedBegin() const { return start_; }

 private:
  void enterHistoryStage(MoveEntry* current) {
    historyStage_ = true;
    uint32_t* keys = record_.historyKeys;
    for (MoveEntry* e = current; e < end_; ++e) {
      keys[e - start_] =
          history_[e->move & MoveOrder::HistoryIndexMask] +
          static_cast<uint32_t>(e->score + static_cast<int>(MoveOrder::HistoryKeyOffset));
    }
  }

  PlyState& record_;
  MoveEntry* start_;
  MoveEntry* end_;
  MoveEntry* next_;
  const uint32_t* history_;
  bool historyStage_ = false;
};
