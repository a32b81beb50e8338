// Ordering scores the generators and the exchange evaluator give moves.
#pragma once

#include <cstdint>

// Ordering scores written by the generators.
namespace MoveScore {
constexpr int16_t Quiet = -30000;
constexpr int16_t CastleKingSide = -29000;
constexpr int16_t CastleQueenSide = -29500;
constexpr int16_t PawnCaptureOffset = -9600;  // + victim value
constexpr int16_t EnPassant = -9500;
constexpr int16_t PromoteQueen = -9401;
constexpr int16_t PromoteKnight = -30005;
constexpr int16_t PromoteRook = -30025;
constexpr int16_t PromoteBishop = -30050;
constexpr int16_t KnightCaptureOffset = -9820;
constexpr int16_t BishopCaptureOffset = -9825;
constexpr int16_t RookCaptureOffset = -10000;
constexpr int16_t QueenCaptureOffset = -10450;
constexpr int16_t KingCaptureOffset = -11500;
constexpr int16_t KnightBlock = -30320;
constexpr int16_t BishopBlock = -30325;
constexpr int16_t RookBlock = -30500;
constexpr int16_t QueenBlock = -30950;
constexpr int16_t CaptureFilter = -10000;  // captures below this are left out
constexpr int16_t DroppedKingCapture = -32767;
}  // namespace MoveScore
