#pragma once
// The interpreter's own commands. Each takes the words after the command's name, acts on
// paths relative to the script's current folder, and returns an empty string on success or
// one line saying what went wrong. None of them expands wildcards or splits a path.
// Names are matched exactly, case included: "RES.TXT" does not name res.txt here.

#include <cstddef>
#include <string>
#include <vector>

namespace tovrin::cmd {

// Writes every byte, going on after interrupted or partial writes.
bool writeAll(int fd, const char* data, std::size_t size);

// A path as written in the script, made absolute against the current folder.
std::string resolvePath(const std::string& currentFolder, const std::string& path);

// cd FOLDER, cd /d FOLDER: the current folder becomes FOLDER, with links resolved.
std::string changeFolder(std::string* currentFolder, const std::vector<std::string>& args);

// del FILE: deletes that one file; never a folder, never through a wildcard.
std::string deleteFile(const std::string& currentFolder, const std::vector<std::string>& args);

// copy SOURCE DESTINATION: an exact copy, replacing DESTINATION; a folder as DESTINATION
// receives a file of SOURCE's name. The copy is written beside DESTINATION under a
// temporary name and renamed when complete, so a failure leaves no half file.
std::string copyFile(const std::string& currentFolder, const std::vector<std::string>& args);

// move [/y] SOURCE DESTINATION: renames SOURCE to DESTINATION, replacing it in one step; a
// folder as DESTINATION receives a file of SOURCE's name. A rename, so only within one file
// system; never a folder as SOURCE. "/y" (replace without asking) is what a script's move does
// anyway.
std::string moveFile(const std::string& currentFolder, const std::vector<std::string>& args);

}  // namespace tovrin::cmd
