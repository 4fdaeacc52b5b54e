#pragma once
// A fresh folder under the temporary directory, removed with everything in it at the end.
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of `relative` inside the folder.
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

// Writes `bytes` to `path`, creating missing folders on the way; true on success.
bool WriteTestFile(const std::string& path, const std::string& bytes);
std::string ReadTestFile(const std::string& path);
bool MakeFolders(const std::string& path);
// Deletes a folder and everything below it.
void RemoveTree(const std::string& path);
