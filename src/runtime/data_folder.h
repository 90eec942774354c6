// Where the program finds its `res` folder: the working directory, then beside the
// executable, then the installed data folder. The game opens its files relative to
// the working directory, so the chosen folder becomes the working directory.
#pragma once
#include <filesystem>
#include <vector>

namespace dfx {

// The folders to look in, in order, for an executable in exeDir.
std::vector<std::filesystem::path> DataFolderCandidates(const std::filesystem::path& workingDir,
                                                        const std::filesystem::path& exeDir);
// The first candidate whose res/bmp holds a glyph file, or empty.
std::filesystem::path FindDataFolder(const std::vector<std::filesystem::path>& candidates);
// Changes to the folder FindDataFolder picks; when none holds a glyph file, stays and
// says on stderr, in one line, where it looked. False in that case.
bool EnterDataFolder(const std::filesystem::path& exeDir);

}  // namespace dfx
