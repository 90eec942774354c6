// The texts the game itself shows, exactly as the screen prints them.
#pragma once

namespace dfx::texts {

inline constexpr const char* FinalWindowTitle = "Discoflipparex VZ-T734Taste V2.3D";
inline constexpr const char* TitleLine = "Discoflipparex V2.3D";
inline constexpr const char* YouVsCpu = "[1] YOU vs CPU";
inline constexpr const char* CpuVsYou = "[2] CPU vs YOU";
inline constexpr const char* RandomSwitch = "[R] RANDOM ";
// "LEVEL  (" then the two level marks (codes 4 and 5) and ")".
inline constexpr const char* LevelLine = "LEVEL  (\x04\x05)";
inline constexpr const char* OffOn = "OFFON ";

inline constexpr const char* YouOpen = "You (";
inline constexpr const char* CpuLevel = "CPU Lv ";
inline constexpr const char* WhiteSide = "White)";
inline constexpr const char* BlackSide = "Black)";
inline constexpr const char* UndoHint = "[BS] UNDO";
inline constexpr const char* YouPass = "You Pass!";
inline constexpr const char* HitAnyKey = "Hit Any Key";
inline constexpr const char* Draw = "DRAW";
inline constexpr const char* YouWin = "You Win";
inline constexpr const char* YouLose = "You Lose";
inline constexpr const char* UndoCountLabel = "UNDO:";

inline constexpr const char* BookSuffix = ":Book";
inline constexpr const char* EvalSuffix = ":Eval.";
inline constexpr const char* LeafSuffix = ":Leaf";
inline constexpr const char* SecondsSuffix = ":s";
inline constexpr const char* CpuPass = "CPU PASS   ";

}  // namespace dfx::texts
