// The strong evaluation's weights as one flat table of (middlegame,
// endgame) pairs: where each term's block starts and how long it is. The
// evaluation reads the table by these offsets; the tuner fits and writes the
// same table.
#pragma once

namespace Term {
constexpr int Material = 0;                           // [kind], pawn to queen
constexpr int PieceSquare = Material + 5;             // [kind][square from White's side]
constexpr int KnightMobility = PieceSquare + 6 * 64;  // [reachable squares]
constexpr int BishopMobility = KnightMobility + 9;
constexpr int RookMobility = BishopMobility + 14;
constexpr int QueenMobility = RookMobility + 15;
constexpr int PawnDoubled = QueenMobility + 28;
constexpr int PawnIsolated = PawnDoubled + 1;
constexpr int PawnBackward = PawnIsolated + 1;
constexpr int PawnConnected = PawnBackward + 1;         // [relative rank]
constexpr int PassedPawn = PawnConnected + 8;           // [can advance][safe advance][rank]
constexpr int PassedOwnKingDistance = PassedPawn + 32;  // [rank], times the distance
constexpr int PassedEnemyKingDistance = PassedOwnKingDistance + 8;
constexpr int PassedSafePath = PassedEnemyKingDistance + 8;
constexpr int KnightOutpost = PassedSafePath + 1;  // [defended by a pawn]
constexpr int BishopOutpost = KnightOutpost + 2;
constexpr int BishopPair = BishopOutpost + 2;
constexpr int BishopRammedPawns = BishopPair + 1;
constexpr int MinorBehindPawn = BishopRammedPawns + 1;
constexpr int RookFile = MinorBehindPawn + 1;  // [semi-open, open]
constexpr int RookOnSeventh = RookFile + 2;
constexpr int ThreatByPawn = RookOnSeventh + 1;
constexpr int ThreatByMinor = ThreatByPawn + 1;  // [victim kind]
constexpr int ThreatByRook = ThreatByMinor + 6;
constexpr int ThreatByKing = ThreatByRook + 6;
constexpr int HangingPiece = ThreatByKing + 1;
constexpr int ThreatByPawnPush = HangingPiece + 1;
constexpr int KingShelter = ThreatByPawnPush + 1;   // [on king file][file][distance]
constexpr int KingStorm = KingShelter + 2 * 8 * 8;  // [blocked][file from edge][distance]
constexpr int Tempo = KingStorm + 2 * 4 * 8;
// King safety: summed per attacked king, then turned into a penalty growing
// with the square of the sum (middlegame) and with the sum (endgame).
constexpr int SafetyFirst = Tempo + 1;
constexpr int SafetyAttacker = SafetyFirst;  // [knight, bishop, rook, queen]
constexpr int SafetyZoneAttacks = SafetyAttacker + 4;
constexpr int SafetyWeakSquares = SafetyZoneAttacks + 1;
constexpr int SafetyNoQueen = SafetyWeakSquares + 1;
constexpr int SafetySafeCheck = SafetyNoQueen + 1;  // [knight, bishop, rook, queen]
constexpr int SafetyAdjustment = SafetySafeCheck + 4;
constexpr int Count = SafetyAdjustment + 1;

// Named blocks, in table order, for the tuner's output.
struct Block {
  const char* name;
  int offset;
  int length;
};
constexpr Block Blocks[] = {
    {"material", Material, 5},
    {"piece-square", PieceSquare, 6 * 64},
    {"knight mobility", KnightMobility, 9},
    {"bishop mobility", BishopMobility, 14},
    {"rook mobility", RookMobility, 15},
    {"queen mobility", QueenMobility, 28},
    {"doubled pawn", PawnDoubled, 1},
    {"isolated pawn", PawnIsolated, 1},
    {"backward pawn", PawnBackward, 1},
    {"connected pawn", PawnConnected, 8},
    {"passed pawn", PassedPawn, 32},
    {"passed pawn, own king distance", PassedOwnKingDistance, 8},
    {"passed pawn, enemy king distance", PassedEnemyKingDistance, 8},
    {"passed pawn, safe path", PassedSafePath, 1},
    {"knight outpost", KnightOutpost, 2},
    {"bishop outpost", BishopOutpost, 2},
    {"bishop pair", BishopPair, 1},
    {"bishop rammed pawns", BishopRammedPawns, 1},
    {"minor behind pawn", MinorBehindPawn, 1},
    {"rook on semi-open and open file", RookFile, 2},
    {"rook on seventh", RookOnSeventh, 1},
    {"threat by pawn", ThreatByPawn, 1},
    {"threat by minor", ThreatByMinor, 6},
    {"threat by rook", ThreatByRook, 6},
    {"threat by king", ThreatByKing, 1},
    {"hanging piece", HangingPiece, 1},
    {"threat by pawn push", ThreatByPawnPush, 1},
    {"king shelter", KingShelter, 2 * 8 * 8},
    {"king storm", KingStorm, 2 * 4 * 8},
    {"tempo", Tempo, 1},
    {"safety: attacker", SafetyAttacker, 4},
    {"safety: zone attacks", SafetyZoneAttacks, 1},
    {"safety: weak squares", SafetyWeakSquares, 1},
    {"safety: no queen", SafetyNoQueen, 1},
    {"safety: safe check", SafetySafeCheck, 4},
    {"safety: adjustment", SafetyAdjustment, 1},
};
}  // namespace Term
