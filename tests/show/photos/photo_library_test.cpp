// The photo library (show/photos/photo_library.h): what a walk keeps, the
// order of picks across starts with the history of photographs shown lately,
// and a folder as the photo square's path.

#include "photo_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "../support/temp_folder.h"
#include "folder_photos.h"
#include "paths.h"
#include "photo_square.h"
#include "photo_test_pictures.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// Points the user's cache folder at Folder for one test.
void UseCacheFolder(const std::string& Folder) {
#ifdef _WIN32
  _putenv_s("LOCALAPPDATA", Folder.c_str());
#else
  setenv("XDG_CACHE_HOME", Folder.c_str(), 1);
#endif
}

std::set<std::string> Walked(const std::string& Folder, const PhotoWalkLimits& Limits = PhotoWalkLimits()) {
  PhotoLibrary library;
  EXPECT_TRUE(library.Walk(Folder, Limits));
  std::set<std::string> below;
  for (size_t i = 0; i < library.Count(); ++i) {
    std::string path = library.PathAt(i).substr(Folder.size() + 1);
    for (char& c : path) c = c == '\\' ? '/' : c;
    below.insert(path);
  }
  return below;
}

TEST(PhotoLibrary, WalkKeepsPlainFilesAndPassesOverHiddenLoopedAndUnreadableFolders) {
  TempFolder top;
  const fs::path t = top.Path();
  fs::create_directories(t / "sub" / "deep");
  fs::create_directories(t / ".hidden");
  fs::create_directories(t / "locked");
  top.Write("a.png", "any bytes");
  top.Write("sub/deep/notes.txt", "not a photograph, kept all the same");
  top.Write(".hidden/b.png", "x");
  top.Write("sub/.c.png", "x");
  top.Write("locked/d.png", "x");
  std::error_code noLinks;  // Windows lets only some accounts make links
  fs::create_directory_symlink(t, t / "sub" / "back", noLinks);  // a loop
  if (!noLinks) fs::create_symlink(t / "a.png", t / "sub" / "link.png", noLinks);
  fs::permissions(t / "locked", fs::perms::none);
  // As root, and where permissions map to a read-only mark (Windows), the
  // folder stays readable.
  std::error_code locked;
  fs::directory_iterator(t / "locked", locked);
  const bool lockedReadable = !locked;

  const std::set<std::string> kept = Walked(top.Path());
  struct Row {
    const char* Path;
    bool Kept;
    bool NeedsLinks;
    bool NeedsPermissions;
  };
  const Row rows[] = {
      {"a.png", true, false, false},             {"sub/deep/notes.txt", true, false, false},
      {".hidden/b.png", false, false, false},    {"sub/.c.png", false, false, false},
      {"sub/link.png", true, true, false},       {"sub/back/a.png", false, true, false},
      {"locked/d.png", false, false, true},
  };
  for (const Row& row : rows) {
    if (row.NeedsLinks && noLinks) continue;
    if (row.NeedsPermissions && lockedReadable) {
      std::printf("skipped: %s (permissions do not stop reading here: root, or Windows)\n", row.Path);
      continue;
    }
    EXPECT_EQ(kept.count(row.Path) == 1, row.Kept) << row.Path;
  }
  // A way down through random entries ends only in files the walk keeps, or
  // nowhere (a loop, the locked folder); over many ways in every file.
  std::set<std::string> found;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    ShowRandom random(seed);
    std::string path = PickByDescent(top.Path(), random);
    if (path.empty()) continue;
    path = path.substr(top.Path().size() + 1);
    for (char& c : path) c = c == '\\' ? '/' : c;
    EXPECT_EQ(kept.count(path), 1u) << path;
    found.insert(path);
  }
  EXPECT_EQ(found, kept);
  fs::permissions(t / "locked", fs::perms::owner_all);

  // Bounds: files kept, depth.
  PhotoWalkLimits few;
  few.MaxFiles = 1;
  EXPECT_EQ(Walked(top.Path(), few).size(), 1u);
  PhotoWalkLimits flat;
  flat.MaxDepth = 0;
  EXPECT_EQ(Walked(top.Path(), flat), std::set<std::string>{"a.png"});

  // Empty is no failure; a missing folder is.
  TempFolder empty;
  EXPECT_TRUE(Walked(empty.Path()).empty());
  PhotoLibrary none;
  EXPECT_FALSE(none.Walk(empty.File("missing")));
}

TEST(PhotoLibrary, PicksAvoidRecentPhotographsAcrossStartsAndTheHistoryStaysSound) {
  TempFolder cache;
  const std::string historyFile = cache.File("history");
  struct Row {
    size_t Files;
    size_t DistinctStarts;  // starts in a row that never repeat
  };
  for (const Row row : {Row{5, 5}, Row{100, PhotoHistory::kLength}}) {
    TempFolder photos;
    for (size_t i = 0; i < row.Files; ++i) photos.Write(std::to_string(i), "x");
    PhotoLibrary library;
    ASSERT_TRUE(library.Walk(photos.Path()));
    DeleteFileAt(historyFile);
    ShowRandom random(7);
    std::vector<std::string> shown;
    for (size_t start = 0; start < row.DistinctStarts + 40; ++start) {
      PhotoHistory history;
      history.Load(historyFile);  // as each start does
      const long pick = PickFromLibrary(library, history, {}, random);
      ASSERT_GE(pick, 0);
      shown.push_back(library.PathAt(static_cast<size_t>(pick)));
      history.Shown(shown.back());
      ASSERT_TRUE(history.Save(historyFile));
      EXPECT_LE(history.Hashes().size(), PhotoHistory::kLength);
    }
    for (size_t first = 0; first + row.DistinctStarts <= shown.size(); ++first) {
      const std::set<std::string> run(shown.begin() + first, shown.begin() + first + row.DistinctStarts);
      EXPECT_EQ(run.size(), row.DistinctStarts) << row.Files << " files, from start " << first;
    }
  }

  // A damaged history counts as none, and a save writes it anew.
  const std::string header = "sorvane recent photographs 1\n";
  std::string tooLong = header;
  for (size_t i = 0; i <= PhotoHistory::kLength; ++i) tooLong += "0123456789abcdef\n";
  for (const std::string& damaged : {std::string("garbage"), header + "0123\n", header + "0123456789ABCDEF\n",
                                     tooLong, std::string(100000, 'x')}) {
    cache.Write("history", damaged);
    PhotoHistory history;
    history.Load(historyFile);
    EXPECT_TRUE(history.Hashes().empty()) << damaged.substr(0, 40);
    history.Shown("one");
    ASSERT_TRUE(history.Save(historyFile));
    history.Load(historyFile);
    EXPECT_EQ(history.Position("one"), 0);
  }
}

TEST(PhotoLibrary, AFolderAsThePhotographsPathShowsAReadablePhotographOrSaysWhyNot) {
  TempFolder cache;
  UseCacheFolder(cache.Path());
  TempFolder photos;
  fs::create_directories(fs::path(photos.Path()) / "trip");
  for (int i = 0; i < 5; ++i) photos.Write("note" + std::to_string(i) + ".txt", "not a photograph");
  photos.Write("trip/quarters", testing::Bytes(kTestBaselineJpeg, kTestBaselineJpegSize));
  for (int start = 0; start < 3; ++start) {
    ShowRandom random(static_cast<uint32_t>(start + 1));
    PictureProblem problem = PictureProblem::Missing;
    const BgrImage square = ComposePhotoSquare(photos.Path(), random, &problem);
    EXPECT_EQ(problem, PictureProblem::NoProblem);
    EXPECT_TRUE(testing::Near(testing::PixelAt(square, 100, 100), testing::kRed, 40));  // the red quarter
  }
  PhotoHistory history;
  history.Load(PhotoHistoryFile());
  EXPECT_EQ(history.Position(photos.Path() + PathSeparator() + "trip" + PathSeparator() + "quarters"), 0);

  struct Row {
    const char* Contents;  // files made in the folder, "" none
    PictureProblem Problem;
  };
  for (const Row row : {Row{"", PictureProblem::FolderEmpty}, Row{"text", PictureProblem::NoneReadable}}) {
    TempFolder folder;
    if (row.Contents[0]) {
      for (int i = 0; i < 30; ++i) folder.Write(std::to_string(i), row.Contents);
    }
    ShowRandom random(1);
    PictureProblem problem = PictureProblem::NoProblem;
    ComposePhotoSquare(folder.Path(), random, &problem);
    EXPECT_EQ(problem, row.Problem) << PictureProblemText(problem);
  }
}

// A folder as a show's supply: within a show every photograph comes once
// before any comes back (the one the show began with counts as shown), other
// files are passed over, and the next start's photograph is saved and taken
// once. A folder of no photographs answers Unavailable.
TEST(FolderPhotos, GivesEachPhotographOnceARoundAndPicksTheNextStart) {
  TempFolder cache;
  UseCacheFolder(cache.Path());
  TempFolder photos;
  const int sizes[][2] = {{64, 48}, {48, 64}, {32, 32}, {60, 20}};
  std::vector<std::string> paths;
  std::vector<std::vector<uint8_t>> squares;
  for (const auto& size : sizes) {
    testing::BmpShape shape;
    shape.Width = size[0];
    shape.Height = size[1];
    const std::string name = std::to_string(size[0]) + "x" + std::to_string(size[1]);
    photos.Write(name, testing::MakeQuarterBmp(shape));
    paths.push_back(photos.File(name));
    BgrImage square;
    ASSERT_EQ(ComposeFileSquare(paths.back(), square), PictureProblem::NoProblem);
    squares.push_back(square.Pixels);
  }
  photos.Write("notes.txt", "not a photograph");
  {
    FolderPhotos supply(photos.Path(), paths[0], 3);
    std::set<size_t> given;
    for (int ask = 0; ask < 3; ++ask) {
      supply.Ask(0);
      BgrImage square;
      ASSERT_EQ(supply.Wait(0, square), PhotoSupply::Answer::Ready);
      const size_t which = static_cast<size_t>(std::find(squares.begin(), squares.end(), square.Pixels) - squares.begin());
      ASSERT_LT(which, squares.size());
      given.insert(which);
    }
    EXPECT_EQ(given, (std::set<size_t>{1, 2, 3}));
    EXPECT_EQ(supply.Count(), 5u);
  }
  const std::string next = TakeNextStartPhoto(NextStartPhotoFile(), photos.Path());
  EXPECT_NE(std::find(paths.begin(), paths.end(), next), paths.end()) << next;
  EXPECT_EQ(TakeNextStartPhoto(NextStartPhotoFile(), photos.Path()), "");  // taken once
  // Saved for another folder, outside the folder, or damaged: nothing.
  const std::string file = NextStartPhotoFile();
  for (const auto& saved : {std::pair<std::string, std::string>{cache.Path(), paths[1]},
                            {photos.Path(), cache.Path() + PathSeparator() + "x"}}) {
    ASSERT_TRUE(SaveNextStartPhoto(file, saved.first, saved.second));
    EXPECT_EQ(TakeNextStartPhoto(file, photos.Path()), "") << saved.first << " " << saved.second;
  }
  cache.Write("next-photograph", "sorvane next photograph 1\n" + photos.Path() + "\n");
  EXPECT_EQ(TakeNextStartPhoto(file, photos.Path()), "");

  TempFolder none;
  none.Write("a.txt", "text");
  none.Write("b.txt", "text");
  FolderPhotos empty(none.Path(), none.Path() + PathSeparator() + "a.txt", 1);
  empty.Ask(0);
  BgrImage square;
  EXPECT_EQ(empty.Wait(0, square), PhotoSupply::Answer::Unavailable);
}

}  // namespace
}  // namespace sorvane
